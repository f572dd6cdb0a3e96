-- The core, hashing and date functions of the module.
local T = require "TARVO"

test("registers right after load", function()
  eq(T.LastError(), "")
  eq(T.sRet(), "")
  eq(T.LastErrorID(), 0)
  eq(T.iRet(), 0)
  eq(T.iRet64(), 0)
  eq(T.dRet(), 0.0)
end)

test("iRetSize reports the latest result size", function()
  T.U2W("中文")
  eq(T.iRetSize(), 4)
  T.SplitText("a,b,c", ",")
  eq(T.iRetSize(), 3)
end)

test("module and application paths", function()
  local app = T.AppFile()
  ok(app:lower():match("lunrun%.exe$"), "AppFile names the engine: " .. app)
  eq(T.ModFile(0), app)
  local folder = T.AppPath()
  eq(folder:sub(-1), "\\")
  eq(app:sub(1, #folder), folder)
  eq(T.ModPath(0), folder)
end)

test("system folders end in a backslash; unknown ones are empty", function()
  local system = T.SystemPath(0x25)  -- the system folder
  ok(#system > 3, "system folder")
  eq(system:sub(-1), "\\")
  eq(T.SystemPath(0x7FFF), "")
end)

test("Run, Start and Chain start processes", function()
  local exit_with = T.AppPath() .. "exit_with.exe"
  eq(T.Chain('"' .. exit_with .. '" 7'), 7)
  eq(T.Chain('"' .. exit_with .. '" 3', 0), 3)
  ok(T.Run('"' .. exit_with .. '" 0') ~= 0, "Run gives a process handle")
  eq(T.Run("no_such_program_here.exe"), 0)
  eq(T.Chain("no_such_program_here.exe"), 0)
  ok(T.Start(exit_with) > 32, "Start succeeds")
  ok(T.Start("C:\\no\\such\\document.txt") <= 32, "Start of a missing file fails")
  eq(math.type(T.Run("no_such_program_here.exe")), "integer")
end)

test("Rand: integers in [low, high), a fraction without arguments", function()
  eq(T.Rand(5, 5), 5)
  local fractions, distinct = {}, 0
  for _ = 1, 200 do
    eq(T.Rand(1, 2), 1)
    local r = T.Rand(7)
    ok(math.type(r) == "integer" and r >= 7, "Rand(7) >= 7")
    local d = T.Rand(10, 0)
    ok(d >= 0 and d <= 9, "Rand(10, 0) in 0..9")
    local f = T.Rand()
    ok(math.type(f) == "float" and f >= 0 and f < 1, "Rand() in [0, 1)")
    if not fractions[f] then fractions[f], distinct = true, distinct + 1 end
  end
  ok(distinct > 100, "Rand() draws from the generator")
end)

test("IME switch answers true", function()
  eq(T.IME_Disable(0), true)
  eq(T.IME_Disable(0), true)
  eq(T.IME_Enable(0), true)
end)

test("conversions give raw bytes", function()
  eq(T.A2W(""), "")
  eq(T.W2A(T.A2W("abc")), "abc")
  eq(T.A2W("ab"), "a\0b\0")
  eq(T.U2W("é中"), "\xE9\0\x2D\x4E")
  eq(T.W2U(T.U2W("中文 ok")), "中文 ok")
  eq(T.M2W("中", 65001), T.U2W("中"))
  eq(T.W2M(T.U2W("中文"), 65001), "中文")
  eq(T.A2U(T.U2A("plain")), "plain")
  eq(T.W2U("a\0b\0"), "ab")  -- zero bytes inside wide text are not its end
end)

test("conversion lengths count bytes and never pass the string", function()
  eq(T.U2W("abcdef", 3), "a\0b\0c\0")
  eq(T.W2U(T.U2W("abcdef"), 4), "ab")
  eq(T.W2M(T.U2W("中文"), 65001, 2), "中")
  eq(T.U2W("ab", 100), "a\0b\0")
  eq(T.U2W("ab", 0), "a\0b\0")
  eq(T.U2W("ab", -5), "a\0b\0")
end)

test("split functions give list tables", function()
  local parts = T.SplitText("a,b,c", ",")
  eq(#parts, 3)
  eq(parts[2], "b")
  eq(BasicLib.TableKind(parts), 1)
  local empty_middle = T.Split("a,,b", ",")
  eq(#empty_middle, 3)
  eq(empty_middle[2], "")
  eq(#T.Split("abc", ","), 1)
  local dashed = T.Split("a--b", "--")
  eq(#dashed, 2)
  eq(dashed[2], "b")
  local by_char = T.SplitChar("x;y", ";")
  eq(by_char[1] .. by_char[2], "xy")
  eq(#T.SplitChar("x;y", 59), 2)
  local wide = T.SplitText("中,文", ",")
  eq(wide[1], "中")
  eq(wide[2], "文")
end)

test("a list needs BasicLib; without it the call raises", function()
  local saved = BasicLib
  BasicLib = nil
  local success, err = pcall(T.SplitText, "a,b", ",")
  BasicLib = saved
  ok(not success, "SplitText without BasicLib fails")
  ok(tostring(err):find("BasicLib", 1, true), "the error names BasicLib: " .. tostring(err))
  BasicLib = {NewTable = function() return 42 end}
  success = pcall(T.Split, "a,b", ",")
  BasicLib = saved
  ok(not success, "a NewTable that gives no table fails")
  local kind
  BasicLib = {NewTable = function(k) kind = k; return {} end}
  local parts = T.Split("a,b", ",")
  BasicLib = saved
  eq(kind, 1, "a replaced BasicLib is asked")
  eq(parts[2], "b")
end)

test("replace, trim and filter", function()
  eq(T.Replace("aaa", "aa", "b"), "ba")
  eq(T.Replace("héllo wörld", "ö", "o"), "héllo world")
  eq(T.Trim("  a  ", " "), "a")
  eq(T.LTrim("xxaxx", "x"), "axx")
  eq(T.RTrim("xxaxx", "x"), "xxa")
  eq(T.Trim("中a中", "中"), "a")
  eq(T.Trim("   ", " "), "")
  eq(T.StringFilter("a-b-c", "-"), "abc")
  eq(T.StringFilter("中-文", "-"), "中文")
  eq(T.Trim(12300, "0"), "123")  -- numbers are taken as text
end)

test("hexadecimal and URI encoding", function()
  eq(T.HexEncode("\10\255"), "0AFF")
  eq(T.HexEncode("a\0b"), "610062")
  eq(T.HexEncode(""), "")
  eq(T.HexDecode("0AFF"), "\10\255")
  eq(T.HexDecode("610062"), "a\0b")
  eq(T.HexDecode(T.HexEncode("中文")), "中文")
  eq(T.UriEncode("http://h:80/a b"), "http://h:80/a%20b")
  eq(T.UriEncode("a:b"), "a%3Ab")
  eq(T.UriDecode("a%20b+c"), "a b+c")
  eq(T.UriDecode(T.UriEncode("中文 ?&=")), "中文 ?&=")
end)

test("BoolToString styles and StringToBool words", function()
  local words = {[0] = {"true", "false"}, {"yes", "no"}, {"on", "off"}, {"是", "否"}, {"对", "错"},
                 {"真", "假"}, {"允许", "禁止"}, {"成功", "失败"}, {"true", "false"}}
  for style = 0, 8 do
    eq(T.BoolToString(true, style), words[style][1], "style " .. style)
    eq(T.BoolToString(false, style), words[style][2], "style " .. style)
  end
  eq(T.BoolToString(false), "false")
  eq(T.BoolToString(1, 3), "是")
  for _, word in ipairs({"true", "TRUE", "On", "yes", "YES", "是", "对", "真", "允许", "成功"}) do
    eq(T.StringToBool(word), true, word)
  end
  for _, word in ipairs({"是x", "no", "", "1", "false", " yes", "否"}) do
    eq(T.StringToBool(word), false, word)
  end
end)

test("MD5 of text in three modes", function()
  eq(T.MD5(""), "D41D8CD98F00B204E9800998ECF8427E")
  eq(T.MD5("abc"), "900150983CD24FB0D6963F7D28E17F72")
  eq(T.MD5("abc", "ansi"), "900150983CD24FB0D6963F7D28E17F72")
  eq(T.MD5("abc", "UNICODE"), "CE1473CF80C6B3FDA8E3DFC006ADC315")
  eq(T.MD5("中文", "Unicode"), "73C6C8CD2F94355EF015E5265D5E65B1")
  eq(T.MD5("中文", "other"), "A7BAC2239FCDCB3A067903D8077C4A07")
  eq(T.MD5("a\0b"), "70350F6027BCE3713F6B76473084309B")
end)

test("MD5_File hashes contents; a missing file gives the empty text", function()
  with_temp_dir(function(dir)
    local path = dir .. "\\data.bin"
    local f = assert(io.open(path, "wb"))
    f:write(string.rep("x", 5000))
    f:close()
    eq(T.MD5_File(path), "A6BB7BDE3251CA2D810D32DADD9E8AE7")
    eq(T.MD5_File(dir .. "\\missing.bin"), "")
    -- A Unicode file name, made by the system's own copy.
    local unicode = dir .. "\\数据 é.bin"
    eq(T.Chain('cmd /c copy /y "' .. path .. '" "' .. unicode .. '"', 0), 0)
    eq(T.MD5_File(unicode), "A6BB7BDE3251CA2D810D32DADD9E8AE7")
  end)
end)

test("DaysInMonth", function()
  eq(T.DaysInMonth(2024, 2), 29)
  eq(T.DaysInMonth(1900, 2), 28)
  eq(T.DaysInMonth(2000, 2), 29)
  eq(T.DaysInMonth(2023, 1), 31)
  eq(T.DaysInMonth(2023, 4), 30)
  eq(T.DaysInMonth(2023, 13), 0)
  eq(T.DaysInMonth(2023, 0), 0)
end)

test("wrong argument counts raise", function()
  raises("param count error !", T.Trim)
  raises("param count error !", T.Trim, "a")
  raises("param count error !", T.Trim, "a", "b", "c")
  raises("param count error !", T.Rand, 1, 2, 3)
  raises("param count error !", T.DaysInMonth, 2024)
  raises("param count error !", T.MD5)
  raises("param count error !", T.iRet, 1)
end)

test("values of the wrong type give failure values, not crashes", function()
  eq(T.Replace(nil, "a", "b"), "")
  eq(T.Trim({}, " "), "")
  eq(#T.SplitText(nil, ","), 1)
  eq(T.MD5_File({}), "")
  eq(T.U2W(nil), "")
  eq(T.HexEncode(nil), "")
  eq(T.DaysInMonth("x", "y"), 0)
  eq(T.StringToBool(nil), false)
end)

test("every library string pushed is released", function()
  local start = LiveLibraryBlocks and LiveLibraryBlocks() or 0
  for i = 1, 300 do
    T.AppPath(); T.AppFile(); T.ModPath(0); T.ModFile(0); T.SystemPath(0x25)
    T.W2U(T.U2W("中文" .. i)); T.M2W("x", 65001); T.W2M(T.A2W("y"), 0)
    T.A2U(T.U2A("z")); T.W2A(T.A2W("w"))
    T.SplitChar("a,b", ","); T.SplitText("a,b", ","); T.Split("a,b", ",")
    T.Replace("aXb", "X", "Y"); T.LTrim(" a", " "); T.RTrim("a ", " "); T.Trim(" a ", " ")
    T.StringFilter("a-b", "-"); T.HexEncode("ab"); T.HexDecode("6162")
    T.UriEncode("a b"); T.UriDecode("a%20b"); T.MD5("abc", "unicode"); T.MD5("abc", "ansi")
    T.MD5_File("C:\\no\\such\\file")
  end
  collectgarbage()
  if LiveLibraryBlocks then eq(LiveLibraryBlocks(), start, "live library blocks") end
end)
