-- The message box, input box and common dialogs. Each dialog is answered by
-- answer_dialog.exe (from the bin folder), which writes "found <left> <top>"
-- to a marker file before it answers: a dialog that fails to open returns
-- like a cancel, so every case also proves the answerer found its dialog.
-- Argument counts are checked for every function by registry_test.lua.
local T = require "TARVO"

local function quoted(s) return '"' .. s:gsub('"', '\\"') .. '"' end

-- Starts the answerer, runs the dialog, and returns its result and where the
-- answerer found the window.
local function answered(class, title, command, text, dialog)
  local result, left, top
  with_temp_dir(function(dir)
    local marker = dir .. "\\found.txt"
    local cmd = table.concat({"answer_dialog.exe", quoted(marker), quoted(class), quoted(title), command}, " ")
    if text then cmd = cmd .. " " .. quoted(text) end
    ok(T.Run(cmd, 0) ~= 0, "the answerer started")
    result = dialog()
    left, top = T.File_ReadAll(marker):match("^found (%-?%d+) (%-?%d+)")
    ok(left, "the dialog " .. title .. " was found")
  end)
  return result, tonumber(left), tonumber(top)
end

local OK, CANCEL, BOX_OK, BOX_CANCEL = 1, 2, 10, 11

test("message box defaults and buttons", function()
  eq(answered("#32770", "Tarvo", OK, nil, function() return T.MsgBox("hello") end), 1)
  eq(answered("#32770", "Ask", 7, nil, function() return T.MsgBox("yes or no?", "Ask", 4) end), 7)
end)

test("input box: confirmed, empty, cancelled, placed", function()
  local _, centre_x, centre_y = answered("xuiWindowClassW", "Tarvo", BOX_CANCEL, nil, function() return T.InputBox() end)
  eq(T.iRet(), 0)
  local typed = "h\u{e9}llo \u{4e2d}\u{6587}"
  local got, x, y = answered("xuiWindowClassW", "Where", BOX_OK, typed,
                             function() return T.InputBox("Prompt", "Where", "default", 7) end)
  eq(got, typed)
  eq(T.iRet(), -1)
  eq(x, 7, "the given x")
  eq(y, centre_y, "centred vertically")
  ok(centre_x ~= 7)
  eq(answered("xuiWindowClassW", "Empty", BOX_OK, "", function() return T.InputBox("p", "Empty", "x") end), "")
  eq(T.iRet(), -1, "an empty confirmation is still a confirmation")
  eq(answered("xuiWindowClassW", "No", BOX_CANCEL, "typed", function() return T.InputBox("p", "No") end), "")
  eq(T.iRet(), 0)
end)

test("file and folder dialogs", function()
  with_temp_dir(function(dir)
    T.File_WriteAll(dir .. "\\a.txt", "a")
    T.File_WriteAll(dir .. "\\b.txt", "b")
    T.Folder_Create(dir .. "\\sub")
    -- With a trailing backslash the initial text names the folder to list.
    local initial = dir .. "\\"
    eq(answered("#32770", "Lua open", OK, "a.txt",
                function() return T.OpenFileDialog(initial, "Text|*.txt", "Lua open") end), dir .. "\\a.txt")
    eq(answered("#32770", "Open file :", CANCEL, nil, function() return T.OpenFileDialog() end), "")
    eq(T.iRet(), 0)
    eq(answered("#32770", "Lua several", OK, '"a.txt" "b.txt"',
                function() return T.OpenFilesDialog(initial, nil, "Lua several") end), dir, "several: the folder")
    eq(answered("#32770", "Lua save", OK, "new.txt",
                function() return T.SaveFileDialog(initial, nil, "Lua save", 0) end), dir .. "\\new.txt")
    eq(answered("#32770", "Lua folder", OK, dir .. "\\sub",
                function() return T.SelectFolderDialog(dir, "Lua folder") end), dir .. "\\sub")
    ok(T.iRet() ~= 0)
  end)
end)

test("font and colour choosers", function()
  local font = answered("#32770", "*", OK, nil, function() return T.SelectFontDialog() end)
  eq(type(font), "table")
  eq(math.type(font.Height), "integer")
  eq(type(font.Italic), "boolean")
  eq(type(font.StrikeOut), "boolean")
  ok(#font.FaceName > 0, "a face name")
  eq(answered("#32770", "*", CANCEL, nil, function() return T.SelectFontDialog() end), nil)
  eq(answered("#32770", "*", OK, nil, function() return T.SelectColorDialog(0x336699) end), 0x336699)
  ok(T.iRet() ~= 0)
  eq(answered("#32770", "*", CANCEL, nil, function() return T.SelectColorDialog() end), 0)
  eq(T.iRet(), 0)
end)
