-- The core, hashing and date functions of the module.
local T = require "TARVO"

test("registers right after load, iRetSize after a result", function()
  eq(T.LastError() .. T.sRet(), "")
  eq(T.LastErrorID() + T.iRet() + T.iRet64(), 0)
  eq(T.dRet(), 0.0)
  T.U2W("中文")
  eq(T.iRetSize(), 4)
  T.SplitText("a,b,c", ",")
  eq(T.iRetSize(), 3)
end)

test("module, application and system paths", function()
  local app, folder = T.AppFile(), T.AppPath()
  ok(app:lower():match("lunrun%.exe$"), "AppFile names the engine: " .. app)
  eq(T.ModFile(0), app)
  eq(folder:sub(-1), "\\")
  eq(app:sub(1, #folder), folder)
  eq(T.ModPath(0), folder)
  eq(T.SystemPath(0x25):sub(-1), "\\")
  eq(T.SystemPath(0x7FFF), "")
end)

test("Run and Chain start processes", function()
  local exit_with = '"' .. T.AppPath() .. 'exit_with.exe"'
  eq(T.Chain(exit_with .. " 7") + T.Chain(exit_with .. " 3", 0), 10)
  ok(T.Run(exit_with .. " 0") ~= 0, "Run gives a process handle")
  eq(T.Run("no_such_program_here.exe") + T.Chain("no_such_program_here.exe"), 0)
end)

test("Rand: integers in [low, high), a fraction without arguments", function()
  eq(T.Rand(5, 5), 5)
  local fractions, distinct = {}, 0
  for _ = 1, 200 do
    eq(T.Rand(1, 2), 1)
    local d = T.Rand(10, 0)
    ok(math.type(d) == "integer" and d >= 0 and d <= 9, "Rand(10, 0) in 0..9")
    local f = T.Rand()
    ok(math.type(f) == "float" and f >= 0 and f < 1, "Rand() in [0, 1)")
    if not fractions[f] then fractions[f], distinct = true, distinct + 1 end
  end
  ok(distinct > 100, "Rand() draws from the generator")
  eq(T.IME_Disable(0), true)
  eq(T.IME_Enable(0), true)
end)

test("conversions give raw bytes; lengths count bytes and never pass the string", function()
  eq(T.A2W(""), "")
  eq(T.A2W("ab"), "a\0b\0")
  eq(T.U2W("é中"), "\xE9\0\x2D\x4E")
  eq(T.W2U(T.U2W("中文 ok")), "中文 ok")
  eq(T.M2W("中", 65001), T.U2W("中"))
  eq(T.W2M(T.U2W("中文"), 65001, 2), "中")
  eq(T.A2U(T.U2A("plain")), "plain")
  eq(T.W2A(T.A2W("abc")), "abc")
  eq(T.W2U("a\0b\0"), "ab")  -- zero bytes inside wide text are not its end
  eq(T.U2W("abcdef", 3), "a\0b\0c\0")
  for _, n in ipairs({100, 0, -5}) do eq(T.U2W("ab", n), "a\0b\0", n) end
end)

test("split functions give list tables", function()
  local parts = T.SplitText("a,b,c", ",")
  eq(#parts .. parts[2], "3b")
  eq(BasicLib.TableKind(parts), 1)
  eq(table.concat(T.Split("a,,b", ","), "|"), "a||b")
  eq(table.concat(T.Split("a--b", "--"), "|"), "a|b")
  eq(table.concat(T.Split("abc", nil), "|"), "abc", "a nil separator splits nothing")
  eq(table.concat(T.SplitChar("x;y", 59), "|"), "x|y")
  eq(table.concat(T.SplitText("中,文", ","), "|"), "中|文")
end)

test("a list needs BasicLib; without it the call raises", function()
  local saved = BasicLib
  BasicLib = nil
  local success, err = pcall(T.SplitText, "a,b", ",")
  BasicLib = {NewTable = function() return 42 end}
  local no_table = pcall(T.Split, "a,b", ",")
  local kind
  BasicLib = {NewTable = function(k) kind = k; return {} end}
  local parts = T.Split("a,b", ",")
  BasicLib = saved
  ok(not success and tostring(err):find("BasicLib", 1, true), "the error names BasicLib: " .. tostring(err))
  ok(not no_table, "a NewTable that gives no table fails")
  eq(kind, 1, "a replaced BasicLib is asked")
  eq(parts[2], "b")
end)

test("replace, trim and filter", function()
  eq(T.Replace("héllo wörld", "ö", "o"), "héllo world")
  eq(T.Trim("  a  ", " ") .. T.LTrim("xxaxx", "x") .. T.RTrim("xxaxx", "x"), "aaxxxxa")
  eq(T.Trim("中a中", "中"), "a")
  eq(T.StringFilter("中-文", "-"), "中文")
  eq(T.Trim(12300, "0"), "123")  -- numbers are taken as text
end)

test("hexadecimal and URI encoding keep every byte", function()
  eq(T.HexEncode("a\0\255"), "6100FF")
  eq(T.HexDecode("610062"), "a\0b")
  eq(T.HexDecode(T.HexEncode("中文")), "中文")
  eq(T.UriEncode("http://h:80/a b"), "http://h:80/a%20b")
  eq(T.UriDecode("a%20b+c"), "a b+c")
  eq(T.UriDecode("a%00b%00"), "a\0b\0", "decoded zero bytes are pushed too")
  eq(T.UriDecode(T.UriEncode("中文 ?&=")), "中文 ?&=")
end)

test("BoolToString styles and StringToBool words", function()
  local words = {[0] = {"true", "false"}, {"yes", "no"}, {"on", "off"}, {"是", "否"}, {"对", "错"},
                 {"真", "假"}, {"允许", "禁止"}, {"成功", "失败"}, {"true", "false"}}
  for style = 0, 8 do
    eq(T.BoolToString(true, style) .. T.BoolToString(false, style), words[style][1] .. words[style][2], style)
  end
  eq(T.BoolToString(false), "false")
  for _, word in ipairs({"true", "TRUE", "On", "yes", "是", "对", "真", "允许", "成功"}) do eq(T.StringToBool(word), true, word) end
  for _, word in ipairs({"是x", "no", "", "1", " yes", "否"}) do eq(T.StringToBool(word), false, word) end
end)

test("MD5 of text in three modes and of files", function()
  eq(T.MD5(""), "D41D8CD98F00B204E9800998ECF8427E")
  eq(T.MD5("abc", "ansi"), "900150983CD24FB0D6963F7D28E17F72")
  eq(T.MD5("abc", "UNICODE"), "CE1473CF80C6B3FDA8E3DFC006ADC315")
  eq(T.MD5("中文", "Unicode"), "73C6C8CD2F94355EF015E5265D5E65B1")
  eq(T.MD5("中文", "other"), "A7BAC2239FCDCB3A067903D8077C4A07")
  eq(T.MD5("a\0b"), "70350F6027BCE3713F6B76473084309B")
  with_temp_dir(function(dir)
    local path = dir .. "\\数据 é.bin"
    T.File_WriteAll(path, string.rep("x", 5000))
    eq(T.MD5_File(path), "A6BB7BDE3251CA2D810D32DADD9E8AE7")
    eq(T.MD5_File(dir .. "\\missing.bin"), "")
  end)
end)

test("DaysInMonth", function()
  eq(T.DaysInMonth(2024, 2) .. T.DaysInMonth(1900, 2) .. T.DaysInMonth(2023, 4), "292830")
  eq(T.DaysInMonth(2023, 13) + T.DaysInMonth(2023, 0), 0)
end)

test("wrong argument counts raise; wrong types give failure values", function()
  for _, call in ipairs({{T.Trim}, {T.Trim, "a"}, {T.Trim, "a", "b", "c"}, {T.Rand, 1, 2, 3},
                         {T.DaysInMonth, 2024}, {T.MD5}, {T.iRet, 1}}) do
    raises("param count error !", table.unpack(call))
  end
  eq(T.Replace(nil, "a", "b") .. T.Trim({}, " ") .. T.MD5_File({}) .. T.U2W(nil) .. T.HexEncode(nil), "")
  eq(#T.SplitText(nil, ","), 1)
  eq(T.DaysInMonth("x", "y"), 0)
  eq(T.StringToBool(nil), false)
end)
