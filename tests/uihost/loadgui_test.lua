-- LoadGUI through the stand-in engine (tarvo_htmlengine_standin.dll in the
-- bin folder): argument counts, the window's size, the text of the page's last
-- "SetRetVal", an empty text when the host cannot start, and the engine
-- loaded once for every call of the process. The pages and the engine's
-- journal (page path .. ".log") live in a scratch folder.
local engine = T.AppPath() .. "tarvo_htmlengine_standin.dll"
local OK = 1

local function write(path, text)
  local f = assert(io.open(path, "wb"))
  f:write(text)
  f:close()
end

local function lines(path)
  local all = {}
  local f = io.open(path, "rb")
  if not f then return all end
  for line in f:lines() do all[#all + 1] = line end
  f:close()
  return all
end

-- The journal's lines that begin with the word.
local function entries(journal, word)
  local found = {}
  for _, line in ipairs(journal) do
    if line:sub(1, #word + 1) == word .. "\t" or line == word then found[#found + 1] = line end
  end
  return found
end

-- Width and height of the window the latest start created.
local function size_of(journal)
  local created = entries(journal, "create")
  local l, t, r, b = created[#created]:match("^create\t662\t(%-?%d+)\t(%-?%d+)\t(%-?%d+)\t(%-?%d+)")
  return tonumber(r) - tonumber(l), tonumber(b) - tonumber(t)
end

test("LoadGUI returns the last SetRetVal, sizes the window and loads the engine once", function()
  with_temp_dir(function(dir)
    local page = dir .. "\\page one.htm"
    local journal = page .. ".log"
    local cases = {
      {"two arguments", {engine, page}, "SetRetVal\ts:first\nSetRetVal\ts:最后 last\n", "最后 last", 800, 600},
      {"three", {engine, page, 300}, "SetRetVal\tu:unterminated\n", "unterminated", 300, 600},
      {"four", {engine, page, 320, 200}, "appPath\nSetRetVal\ts:\n", "", 320, 200},
      -- no SetRetVal: nothing is left over from the start before
      {"none set", {engine, page}, "SetRetVal\nSetRetVal\ts:a\ts:b\n", "", 800, 600},
      -- the engine is known: the path given now is not loaded
      {"engine known", {dir .. "\\none.dll", page}, "SetRetVal\ts:still\n", "still", 800, 600},
    }
    for i, c in ipairs(cases) do
      write(page, c[3])
      eq(T.LoadGUI(table.unpack(c[2])), c[4], c[1])
      local w, h = size_of(lines(journal))
      eq(w .. "x" .. h, c[5] .. "x" .. c[6], c[1] .. ": size")
      eq(#entries(lines(journal), "api"), i, c[1] .. ": one table per start")
    end
    local all = lines(journal)
    eq(#entries(all, "dll loaded"), 1, "the engine DLL loaded once")
    eq(#entries(all, "unexpected"), 0, "no other slot called")
    local calls = entries(all, "call")
    eq(calls[1], "call\tSetRetVal\t1\tnull")
    eq(calls[4], "call\tappPath\t1\ttext:" .. dir .. "\\")
    eq(calls[6], "call\tSetRetVal\t0\tundefined", "no argument: not handled")
    eq(calls[7], "call\tSetRetVal\t0\tundefined", "two arguments: not handled")
  end)
end)

test("LoadGUI takes two to four arguments", function()
  for _, args in ipairs({{}, {engine}, {engine, "a", 1, 2, 3}}) do
    local ok_, err = pcall(T.LoadGUI, table.unpack(args))
    ok(not ok_ and tostring(err):find("param count error !", 1, true), #args .. " arguments refused")
  end
end)

test("LoadGUI returns an empty text when the page is missing, after the error box", function()
  with_temp_dir(function(dir)
    local marker = dir .. "\\found.txt"
    ok(T.Run('answer_dialog.exe "' .. marker .. '" #32770 Error ' .. OK, 0) ~= 0, "the answerer started")
    eq(T.LoadGUI(engine, dir .. "\\missing.htm"), "")
    ok(T.File_ReadAll(marker):find("^found"), "the error box was shown")
  end)
end)
