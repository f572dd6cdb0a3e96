-- What the wrappers add to the core, text and date functions: raw bytes, lists, defaults, result types.

test("registers, paths, processes and Rand", function()
  eq(T.LastError() .. T.sRet() .. (T.LastErrorID() + T.iRet() + T.iRet64()) .. T.dRet(), "00.0")  -- dRet a float
  local app, folder = T.AppFile(), T.AppPath()
  ok(app:lower():match("lunrun%.exe$"), "AppFile names the engine: " .. app)
  eq(T.ModFile(0) .. T.ModPath(0), app .. folder)
  eq(app:sub(1, #folder) .. T.SystemPath(0x25):sub(-1) .. T.SystemPath(0x7FFF), folder .. "\\")
  local exit_with = '"' .. folder .. 'exit_with.exe"'
  eq(T.Chain(exit_with .. " 7") + T.Chain(exit_with .. " 3", 0), 10)
  ok(T.Run(exit_with .. " 0") ~= 0, "Run gives a process handle")
  eq(T.Run("no_such_program_here.exe") + T.Chain("no_such_program_here.exe"), 0)
  eq(T.IME_Disable(0) and T.IME_Enable(0), true)
  local d, f = T.Rand(10, 0), T.Rand()
  ok(math.type(d) == "integer" and d >= 0 and d <= 9 and math.type(f) == "float" and f >= 0 and f < 1, d .. " " .. f)
  ok(T.Rand() ~= f or T.Rand() ~= f or T.Rand() ~= f, "Rand() draws from the generator")
end)

test("conversions give raw bytes; lengths count bytes and never pass the string", function()
  eq(T.A2W("") .. T.A2W("ab") .. T.U2W(nil) .. T.U2W("é中"), "a\0b\0\xE9\0\x2D\x4E")
  eq(T.W2U(T.U2W("中文 ok")) .. T.A2U(T.U2A("plain")) .. T.W2A(T.A2W("abc")), "中文 okplainabc")
  eq(T.M2W("中", 65001) .. T.W2M(T.U2W("中文"), 65001, 2), T.U2W("中") .. "中")
  eq(T.W2U("a\0b\0") .. T.U2W("abcdef", 3), "aba\0b\0c\0")  -- zero bytes inside wide text are not its end
  for _, n in ipairs({100, 0, -5}) do eq(T.U2W("ab", n), "a\0b\0", n) end
end)

test("split functions give list tables through BasicLib", function()
  local parts = T.SplitText("a,b,c", ",")
  eq(#parts .. parts[2] .. T.iRetSize() .. BasicLib.TableKind(parts) .. #T.SplitText(nil, ","), "3b311")
  -- A nil separator splits nothing.
  eq(table.concat(T.Split("abc", nil)) .. #T.SplitChar("x;y", 59), "abc2")
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

test("text functions keep every byte and take numbers as text; decoded zero bytes are pushed", function()
  eq(T.Replace("héllo wörld", "ö", "o") .. T.Trim("中a中", "中") .. T.StringFilter("中-文", "-"), "héllo worlda中文")
  eq(T.Trim(12300, "0") .. T.HexEncode("a\0\255") .. T.HexDecode("610062"), "1236100FFa\0b")
  eq(T.UriDecode("a%00b%00") .. T.UriDecode(T.UriEncode("中文 ?&=")), "a\0b\0中文 ?&=")
  eq(T.Replace(nil, "a", "b") .. T.Trim({}, " ") .. T.HexEncode(nil), "")
end)

-- A collection step inside a call runs a finaliser that raises: after a result was obtained (text, wide text,
-- bytes, list) or while a converted argument is held. The error reaches the script; every library block is
-- released all the same (the harness counts them).
test("a finaliser raising inside a call leaks nothing", function()
  local raising = {__gc = function() error("finaliser") end}
  local calls = {
    function() return T.Trim("  a  ", " ") end, function() return T.Path_FileName("c:\\x\\a.txt") end,
    function() return T.A2W("abc") end, function() return T.SplitText("a,b", ",") end,
    function() return T.Path_Join("a", 5) end, function() return T.Path_SafeCheck("c:\\x \\a", true) end,
  }
  -- After a full collection every allocation that checks the collector runs a whole cycle (until a finaliser's
  -- own allocations, made while the collector is held, give it credit).
  local pause, stepmul = collectgarbage("setpause", 0), collectgarbage("setstepmul", 1000000)
  local raised = {}
  local function restore() collectgarbage("setpause", pause); collectgarbage("setstepmul", stepmul); collectgarbage() end
  finally(restore, function()
    for i, call in ipairs(calls) do
      for _ = 1, 3 do
        collectgarbage()
        ;(function() setmetatable({}, raising) end)()
        local success, err = pcall(call)
        if not success and tostring(err):find("finaliser", 1, true) then raised[i] = true end
      end
    end
  end)
  for i = 1, #calls do ok(raised[i], "a finaliser raised inside call " .. i) end
end)

test("BoolToString styles and StringToBool words", function()
  local words = {[0] = "truefalse", "yesno", "onoff", "是否", "对错", "真假", "允许禁止", "成功失败", "truefalse"}
  for style = 0, 8 do eq(T.BoolToString(true, style) .. T.BoolToString(false, style), words[style], style) end
  eq(T.BoolToString(false) .. tostring(T.StringToBool(nil)), "falsefalse")
  local said = {"true", "TRUE", "On", "yes", "是", "对", "真", "允许", "成功", "是x", "no", "", "1", " yes", "否"}
  for i, word in ipairs(said) do eq(T.StringToBool(word), i <= 9, word) end  -- the first nine mean true
end)

-- Sizes around the 56-byte length slot and the 64-byte block; files of more than one 1024-byte chunk, with bytes
-- that text mode would change, under UTF-8 names; missing files, folders and other types give "".
test("MD5 of text in its modes and of files", function()
  eq(T.MD5("abc", "ansi") .. T.MD5("a\0b") .. T.MD5(nil), "900150983CD24FB0D6963F7D28E17F72" ..
     "70350F6027BCE3713F6B76473084309B" .. "D41D8CD98F00B204E9800998ECF8427E")
  eq(T.MD5("中文", "Unicode") .. T.MD5("中文", "other"),
     "73C6C8CD2F94355EF015E5265D5E65B1" .. "A7BAC2239FCDCB3A067903D8077C4A07")
  for size, digest in pairs({[55] = "04364420E25C512FD958A70738AA8F72", [56] = "668A72D5BA17F08E62DABCAFAD6DB14B",
                             [63] = "7DC2CA208106A2F703567BDFF99D8981", [64] = "C1BB4F81D892B2D57947682AEB252456",
                             [65] = "1BC932052302D074BDEC39795FE00CF6", [120] = "FB98667F98096DE92620B64F46E1C5B5"}) do
    eq(T.MD5(string.rep("x", size)), digest, size)
  end
  with_temp_dir(function(dir)
    T.File_WriteAll(dir .. "\\数据 é.bin", string.rep("a\n\26", 2000))
    eq(T.MD5_File(dir .. "\\数据 é.bin") .. T.MD5_File(dir .. "\\missing.bin") .. T.MD5_File(dir) .. T.MD5_File({}),
       "FD680094AE27061AD4B847AEE147DBE6")
  end)
end)

test("DaysInMonth: the Gregorian table, months out of range give 0", function()
  for m, days in ipairs({31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}) do eq(T.DaysInMonth(2023, m), days, m) end
  eq(T.DaysInMonth(2024, 2) .. T.DaysInMonth(2000, 2) .. T.DaysInMonth(-4, 2) .. T.DaysInMonth(1900, 2) ..
     T.DaysInMonth(2100, 2), "2929292828")
  for _, m in ipairs({13, 0, -1, -2147483648, "x"}) do eq(T.DaysInMonth(2023, m), 0, m) end
end)
