-- The core, hashing and date functions of the module: what the wrappers add
-- (raw bytes, lists, defaults, argument counts); the C tests hold the rest.
local T = require "TARVO"

test("registers after load and after a result; paths; processes", function()
  eq(T.LastError() .. T.sRet(), "")
  eq(T.LastErrorID() + T.iRet() + T.iRet64(), 0)
  eq(T.dRet(), 0.0)
  T.U2W("中文")
  eq(T.iRetSize(), 4)
  local app, folder = T.AppFile(), T.AppPath()
  ok(app:lower():match("lunrun%.exe$"), "AppFile names the engine: " .. app)
  eq(T.ModFile(0) .. T.ModPath(0), app .. folder)
  eq(app:sub(1, #folder) .. T.SystemPath(0x25):sub(-1) .. T.SystemPath(0x7FFF), folder .. "\\")
  local exit_with = '"' .. folder .. 'exit_with.exe"'
  eq(T.Chain(exit_with .. " 7") + T.Chain(exit_with .. " 3", 0), 10)
  ok(T.Run(exit_with .. " 0") ~= 0, "Run gives a process handle")
  eq(T.Run("no_such_program_here.exe") + T.Chain("no_such_program_here.exe"), 0)
  eq(T.IME_Disable(0) and T.IME_Enable(0), true)
end)

test("Rand: integers in [low, high), a fraction without arguments", function()
  local fractions, distinct = {}, 0
  for _ = 1, 200 do
    local d, f = T.Rand(10, 0), T.Rand()
    ok(math.type(d) == "integer" and d >= 0 and d <= 9, "Rand(10, 0) in 0..9")
    ok(math.type(f) == "float" and f >= 0 and f < 1, "Rand() in [0, 1)")
    if not fractions[f] then fractions[f], distinct = true, distinct + 1 end
  end
  ok(distinct > 100, "Rand() draws from the generator")
end)

test("conversions give raw bytes; lengths count bytes and never pass the string", function()
  eq(T.A2W("") .. T.A2W("ab"), "a\0b\0")
  eq(T.U2W("é中"), "\xE9\0\x2D\x4E")
  eq(T.W2U(T.U2W("中文 ok")) .. T.A2U(T.U2A("plain")) .. T.W2A(T.A2W("abc")), "中文 okplainabc")
  eq(T.M2W("中", 65001), T.U2W("中"))
  eq(T.W2M(T.U2W("中文"), 65001, 2), "中")
  eq(T.W2U("a\0b\0"), "ab")  -- zero bytes inside wide text are not its end
  eq(T.U2W("abcdef", 3), "a\0b\0c\0")
  for _, n in ipairs({100, 0, -5}) do eq(T.U2W("ab", n), "a\0b\0", n) end
end)

test("split functions give list tables through BasicLib", function()
  local parts = T.SplitText("a,b,c", ",")
  eq(#parts .. parts[2] .. T.iRetSize() .. BasicLib.TableKind(parts), "3b31")
  for _, c in ipairs({{T.Split("a,,b", ","), "a||b"}, {T.Split("a--b", "--"), "a|b"},
                      {T.Split("abc", nil), "abc"},  -- a nil separator splits nothing
                      {T.SplitChar("x;y", 59), "x|y"}, {T.SplitText("中,文", ","), "中|文"}}) do
    eq(table.concat(c[1], "|"), c[2])
  end
  local saved, kind = BasicLib
  BasicLib = nil
  local success, err = pcall(T.SplitText, "a,b", ",")
  BasicLib = {NewTable = function() return 42 end}
  local no_table = pcall(T.Split, "a,b", ",")
  BasicLib = {NewTable = function(k) kind = k; return {} end}
  parts = T.Split("a,b", ",")
  BasicLib = saved
  ok(not success and tostring(err):find("BasicLib", 1, true), "the error names BasicLib: " .. tostring(err))
  ok(not no_table, "a NewTable that gives no table fails")
  eq(kind .. parts[2], "1b", "a replaced BasicLib is asked")
end)

test("replace, trim, filter and the codecs keep every byte", function()
  eq(T.Replace("héllo wörld", "ö", "o") .. T.Trim("  a  ", " ") .. T.LTrim("xxaxx", "x") .. T.RTrim("xxaxx", "x"),
     "héllo worldaaxxxxa")
  eq(T.Trim("中a中", "中") .. T.StringFilter("中-文", "-") .. T.Trim(12300, "0"), "a中文123")  -- numbers as text
  eq(T.HexEncode("a\0\255") .. T.HexDecode("610062"), "6100FFa\0b")
  eq(T.UriEncode("http://h:80/a b"), "http://h:80/a%20b")
  eq(T.UriDecode("a%00b%00"), "a\0b\0", "decoded zero bytes are pushed too")
  eq(T.UriDecode(T.UriEncode("中文 ?&=")) .. T.HexDecode(T.HexEncode("中文")), "中文 ?&=中文")
end)

test("BoolToString styles and StringToBool words", function()
  local words = {[0] = "truefalse", "yesno", "onoff", "是否", "对错", "真假", "允许禁止", "成功失败", "truefalse"}
  for style = 0, 8 do eq(T.BoolToString(true, style) .. T.BoolToString(false, style), words[style], style) end
  eq(T.BoolToString(false), "false")
  for _, word in ipairs({"true", "TRUE", "On", "yes", "是", "对", "真", "允许", "成功"}) do eq(T.StringToBool(word), true, word) end
  for _, word in ipairs({"是x", "no", "", "1", " yes", "否"}) do eq(T.StringToBool(word), false, word) end
end)

test("MD5 of text in three modes and of files", function()
  for _, c in ipairs({{"", nil, "D41D8CD98F00B204E9800998ECF8427E"}, {"abc", "ansi", "900150983CD24FB0D6963F7D28E17F72"},
                      {"abc", "UNICODE", "CE1473CF80C6B3FDA8E3DFC006ADC315"},
                      {"中文", "Unicode", "73C6C8CD2F94355EF015E5265D5E65B1"},
                      {"中文", "other", "A7BAC2239FCDCB3A067903D8077C4A07"}, {"a\0b", nil, "70350F6027BCE3713F6B76473084309B"}}) do
    eq(c[2] and T.MD5(c[1], c[2]) or T.MD5(c[1]), c[3], c[2])
  end
  with_temp_dir(function(dir)
    T.File_WriteAll(dir .. "\\数据 é.bin", string.rep("x", 5000))
    eq(T.MD5_File(dir .. "\\数据 é.bin"), "A6BB7BDE3251CA2D810D32DADD9E8AE7")
    eq(T.MD5_File(dir .. "\\missing.bin") .. T.MD5_File(dir), "", "an unreadable file has no digest")
  end)
end)

test("DaysInMonth: the Gregorian table, months out of range give 0", function()
  for m, days in ipairs({31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}) do eq(T.DaysInMonth(2023, m), days, m) end
  eq(T.DaysInMonth(2024, 2) .. T.DaysInMonth(2000, 2) .. T.DaysInMonth(-4, 2) .. T.DaysInMonth(1900, 2) ..
     T.DaysInMonth(2100, 2), "2929292828")
  for _, m in ipairs({13, 0, -1, -2147483648}) do eq(T.DaysInMonth(2023, m), 0, m) end
end)

test("wrong argument counts raise; wrong types give failure values", function()
  for _, call in ipairs({{T.Trim}, {T.Trim, "a"}, {T.Trim, "a", "b", "c"}, {T.Rand, 1, 2, 3},
                         {T.DaysInMonth, 2024}, {T.MD5}, {T.iRet, 1}}) do
    raises("param count error !", table.unpack(call))
  end
  eq(T.Replace(nil, "a", "b") .. T.Trim({}, " ") .. T.MD5_File({}) .. T.U2W(nil) .. T.HexEncode(nil), "")
  eq(#T.SplitText(nil, ",") + T.DaysInMonth("x", "y"), 1)
  eq(T.StringToBool(nil), false)
end)
