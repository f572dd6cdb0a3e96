-- LoadGUI through the stand-in engine (tarvo_htmlengine_standin.dll in the bin folder): argument counts,
-- the window's size, the text of the page's last "SetRetVal", an empty text when the host cannot start,
-- and the engine loaded once for every call of the process. The pages and the engine's journal (page
-- path .. ".log") live in a scratch folder.
local engine = T.AppPath() .. "tarvo_htmlengine_standin.dll"

-- The journal's lines that begin with the word.
local function entries(journal, word)
  local found, f = {}, io.open(journal, "rb")
  for line in (f and f:read("a") or ""):gmatch("[^\r\n]+") do
    if line == word or line:sub(1, #word + 1) == word .. "\t" then found[#found + 1] = line end
  end
  if f then f:close() end
  return found
end

test("LoadGUI returns the last SetRetVal, sizes the window and loads the engine once", function()
  with_temp_dir(function(dir)
    local page = dir .. "\\page one.htm"
    local journal = page .. ".log"
    local cases = {
      {"two arguments", {engine, page}, "SetRetVal\ts:first\nSetRetVal\ts:最后 last\n", "最后 last", "800x600"},
      {"three", {engine, page, 300}, "SetRetVal\tu:unterminated\n", "unterminated", "300x600"},
      {"four", {engine, page, 320, 200}, "appPath\nSetRetVal\ts:\n", "", "320x200"},
      -- no SetRetVal: nothing is left over from the start before
      {"none set", {engine, page}, "SetRetVal\nSetRetVal\ts:a\ts:b\n", "", "800x600"},
      -- the engine is known: the path given now is not loaded
      {"engine known", {dir .. "\\none.dll", page}, "SetRetVal\ts:still\n", "still", "800x600"},
    }
    for i, c in ipairs(cases) do
      local f = assert(io.open(page, "wb"))
      f:write(c[3])
      f:close()
      eq(T.LoadGUI(table.unpack(c[2])), c[4], c[1])
      local created = entries(journal, "create")
      local l, t, r, b = created[#created]:match("^create\t662\t(%-?%d+)\t(%-?%d+)\t(%-?%d+)\t(%-?%d+)")
      eq(math.tointeger(r - l) .. "x" .. math.tointeger(b - t), c[5], c[1] .. ": size")
      eq(#entries(journal, "api"), i, c[1] .. ": one table per start")
    end
    eq(#entries(journal, "dll loaded"), 1, "the engine DLL loaded once")
    eq(#entries(journal, "unexpected"), 0, "no other slot called")
    local calls = entries(journal, "call")
    eq(calls[1], "call\tSetRetVal\t1\tnull")
    eq(calls[4], "call\tappPath\t1\ttext:" .. dir .. "\\")
  end)
end)

test("LoadGUI takes two to four arguments; an empty text when the page is missing, after the error box", function()
  for _, args in ipairs({{}, {engine}, {engine, "a", 1, 2, 3}}) do
    local ok_, err = pcall(T.LoadGUI, table.unpack(args))
    ok(not ok_ and tostring(err):find("param count error !", 1, true), #args .. " arguments refused")
  end
  with_temp_dir(function(dir)
    local marker = dir .. "\\found.txt"
    ok(T.Run('answer_dialog.exe "' .. marker .. '" #32770 Error 1', 0) ~= 0, "the answerer started")
    eq(T.LoadGUI(engine, dir .. "\\missing.htm"), "")
    ok(T.File_ReadAll(marker):find("^found"), "the error box was shown")
  end)
end)
