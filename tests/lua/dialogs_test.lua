-- The message box, input box and common dialogs through their script
-- arguments and results. answer_dialog.exe (from the bin folder) answers each
-- dialog and first writes "found <left> <top>" to a marker file: a dialog that
-- fails to open returns like a cancel, so every case proves it was found.
local T = require "TARVO"

local function quoted(s) return '"' .. s:gsub('"', '\\"') .. '"' end

-- Runs the dialog with its answerer; its result and where it was found.
local function answered(class, title, command, text, dialog)
  local result, left, top
  with_temp_dir(function(dir)
    local marker = dir .. "\\found.txt"
    local cmd = table.concat({"answer_dialog.exe", quoted(marker), quoted(class), quoted(title), command}, " ")
    ok(T.Run(cmd .. (text and " " .. quoted(text) or ""), 0) ~= 0, "the answerer started")
    result = dialog()
    left, top = T.File_ReadAll(marker):match("^found (%-?%d+) (%-?%d+)")
    ok(left, "the dialog " .. title .. " was found")
  end)
  return result, tonumber(left), tonumber(top)
end

local OK, CANCEL, BOX_OK, BOX_CANCEL = 1, 2, 10, 11

test("message box and input box: default titles, buttons, placement", function()
  eq(answered("#32770", "Tarvo", OK, nil, function() return T.MsgBox("hello") end), 1)
  eq(answered("#32770", "Ask", 7, nil, function() return T.MsgBox("yes or no?", "Ask", 4) end), 7)
  local _, centre_x, centre_y = answered("xuiWindowClassW", "Tarvo", BOX_CANCEL, nil, function() return T.InputBox() end)
  eq(T.iRet(), 0)
  local got, x, y = answered("xuiWindowClassW", "Where", BOX_OK, "h\u{e9}llo \u{4e2d}",
                             function() return T.InputBox("Prompt", "Where", "default", 7) end)
  eq(got .. T.iRet(), "h\u{e9}llo \u{4e2d}-1")
  eq(x .. "," .. y, "7," .. centre_y, "the given x, centred vertically")
  ok(centre_x ~= 7)
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
    eq(answered("#32770", "Open file :", CANCEL, nil, function() return T.OpenFileDialog() end) .. T.iRet(), "0")
    eq(answered("#32770", "Lua several", OK, '"a.txt" "b.txt"',
                function() return T.OpenFilesDialog(initial, nil, "Lua several") end), dir, "several: the folder")
    eq(answered("#32770", "Lua save", OK, "new.txt",
                function() return T.SaveFileDialog(initial, nil, "Lua save", 0) end), dir .. "\\new.txt")
    eq(answered("#32770", "Lua folder", OK, dir .. "\\sub",
                function() return T.SelectFolderDialog(dir, "Lua folder") end), dir .. "\\sub")
  end)
end)

test("font and colour choosers", function()
  local font = answered("#32770", "*", OK, nil, function() return T.SelectFontDialog() end)
  eq(math.type(font.Height) .. type(font.Italic) .. type(font.StrikeOut), "integerbooleanboolean")
  ok(#font.FaceName > 0, "a face name")
  eq(answered("#32770", "*", CANCEL, nil, function() return T.SelectFontDialog() end), nil)
  eq(answered("#32770", "*", OK, nil, function() return T.SelectColorDialog(0x336699) end), 0x336699)
end)
