-- Dialogs through their script arguments and results, each answered by
-- answer_dialog.exe, whose marker file proves the dialog opened (one that
-- fails to open returns like a cancel) and says where.
local OK, CANCEL, BOX_OK, BOX_CANCEL = 1, 2, 10, 11

-- Runs dialog() with its answerer; its result and where the dialog was found.
local function answered(class, title, command, text, dialog)
  local result, left, top
  with_temp_dir(function(dir)
    local marker, cmd = dir .. "\\found.txt", "answer_dialog.exe"
    for _, arg in ipairs({marker, class, title, command, text}) do
      cmd = cmd .. ' "' .. tostring(arg):gsub('"', '\\"') .. '"'
    end
    ok(T.Run(cmd, 0) ~= 0, "the answerer started")
    result = dialog()
    left, top = T.File_ReadAll(marker):match("^found (%-?%d+) (%-?%d+)")
    ok(left, "the dialog " .. title .. " was found")
  end)
  return result, tonumber(left), tonumber(top)
end

test("message box and input box: default titles, buttons, placement", function()
  eq(answered("#32770", "Tarvo", OK, nil, function() return T.MsgBox("hello") end), 1)
  eq(answered("#32770", "Ask", 7, nil, function() return T.MsgBox("yes or no?", "Ask", 4) end), 7)
  local _, _, centre_y = answered("xuiWindowClassW", "Tarvo", BOX_CANCEL, nil, T.InputBox)
  eq(T.iRet(), 0)
  local got, x, y = answered("xuiWindowClassW", "Where", BOX_OK, "h\u{e9}llo \u{4e2d}",
                             function() return T.InputBox("Prompt", "Where", "default", 7) end)
  eq(got .. T.iRet(), "h\u{e9}llo \u{4e2d}-1")
  eq(x .. "," .. y, "7," .. centre_y, "the given x, centred vertically")
  eq(answered("xuiWindowClassW", "Empty", BOX_OK, "", function() return T.InputBox("p", "Empty", "x") end)
     .. T.iRet(), "-1", "an empty confirmation is still a confirmation")
  eq(answered("xuiWindowClassW", "No", BOX_CANCEL, "typed", function() return T.InputBox("p", "No") end)
     .. T.iRet(), "0")
end)

test("file and folder choosers: given and default arguments", function()
  with_temp_dir(function(dir)
    T.File_WriteAll(dir .. "\\a.txt", "a")
    T.File_WriteAll(dir .. "\\b.txt", "b")
    T.Folder_Create(dir .. "\\sub")
    local initial = dir .. "\\"  -- with a trailing backslash: the folder to list
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

test("font and colour choosers: a table or a colour, nil or 0 when cancelled", function()
  local font = answered("#32770", "*", OK, nil, function() return T.SelectFontDialog() end)
  eq(math.type(font.Height) .. type(font.Italic) .. type(font.StrikeOut), "integerbooleanboolean")
  ok(#font.FaceName > 0, "a face name")
  eq(answered("#32770", "*", CANCEL, nil, function() return T.SelectFontDialog() end), nil)
  eq(answered("#32770", "*", OK, nil, function() return T.SelectColorDialog(0x336699) end), 0x336699)
  eq(answered("#32770", "*", CANCEL, nil, function() return T.SelectColorDialog() end) .. T.iRet(), "00")
end)
