-- File, folder, path and INI functions: the wrappers' defaults, argument mapping and result types.

test("whole files: UTF-8 by default, lengths in bytes, every byte read back; paths and INI values", function()
  with_temp_dir(function(dir)
    local p = dir .. "\\a.txt"
    eq(T.File_WriteAll(p, "中文 text") + T.File_Append(p, "+more"), 16)
    eq(T.File_ReadAll(p, 65001), "中文 text+more")
    eq(T.File_WriteAll(p, "héllo", 0, 1200) .. T.File_ReadAll(p, 1200), "10héllo")
    eq(T.File_WriteAll(p, "abcdef", 3) + T.File_WriteAll(p, "a\0b"), 6, "a given length; zero bytes are text too")
    eq(T.File_ReadAll(p, -1) .. T.File_ReadAll(dir .. "\\missing.txt"), "a\0b")
    eq(T.Path_SafeCheck("C:\\dir \\fi*le.txt."), true, "without a repair: whether the path is unsafe")
    eq(T.Path_SafeCheck("C:\\dir \\fi*le.txt.", true) .. T.Path_SafeCheck("", true), "C:\\dir\\file.txt")
    local ini = dir .. "\\conf.ini"
    eq(T.Ini_Write(ini, "app", "count", "12abc") + T.Ini_ReadInt(ini, "app", "count"), 13)
    eq(T.Ini_Write(ini, "app", "name", nil) .. T.Ini_Read(ini, "app", "count"), "112abc")
    ok(T.File_ReadAll(ini):find("name=", 1, true), "a nil INI value writes an empty value")
  end)
end)

test("existence, copies and folder trees; a search's failing store", function()
  with_temp_dir(function(dir)
    local src, a, b = dir .. "\\src", dir .. "\\src\\a.txt", dir .. "\\b.txt"
    T.Folder_Create(src .. "/sub/deep")
    T.File_WriteAll(src .. "\\sub\\deep\\d.txt", "d")
    T.File_WriteAll(a, "x")
    eq(T.File_Exists(a) and not T.File_Exists(src) and T.Folder_Exists(src) and T.Path_Exists(src), true)
    eq(T.File_Copy(a, b), nil)
    T.File_WriteAll(a, "y")
    T.File_Copy(a, b, false)
    eq(T.File_ReadAll(b), "x", "no overwrite")
    eq(T.File_Find(src, "*.txt") .. T.sRet() .. T.File_Find(src, "*.none"), a, "the top folder first")
    local all = T.File_FindAll(src, "*.txt")
    eq(#all .. all[2] .. #T.File_FindAll(src, "*.txt", false), "2" .. src .. "\\sub\\deep\\d.txt1")
    eq(T.Folder_Copy(src, dir .. "\\dst"), 4, "the pattern defaults to *")
    eq(T.Folder_Move(src, dir .. "\\moved", "*.txt") + T.Folder_Delete(dir .. "\\moved"), 8)
    -- A failing store into the search's table raises cleanly, holding nothing.
    local saved = BasicLib
    BasicLib = {NewTable = function() return setmetatable({}, {__newindex = function() error("no room") end}) end}
    local success, err = pcall(T.File_FindAll, dir, "*.txt")
    BasicLib = saved
    ok(not success and tostring(err):find("no room", 1, true), "the store's error: " .. tostring(err))
  end)
end)

-- The C tests hold the functions that call the C forms; these convert the text themselves or walk on their own.
test("a path beyond the platform's limit gets each function's failure value, the file untouched", function()
  with_temp_dir(function(dir)
    T.File_WriteAll(dir .. "\\f.txt", "data")
    local folder = dir .. "\\" .. string.rep("x\\..\\", 8000)  -- folds back to dir
    local p = folder .. "f.txt"
    for _, c in ipairs({
      {"File_ReadAll", T.File_ReadAll(p), ""}, {"File_WriteAll", T.File_WriteAll(p, "x"), 0},
      {"File_Append", T.File_Append(p, "x"), 0}, {"File_Find", T.File_Find(folder, "*.txt"), ""},
      {"File_FindAll", #T.File_FindAll(folder, "*.txt"), 0}, {"Path_SafeCheck", T.Path_SafeCheck(p, true), p},
      {"Ini_Read", T.Ini_Read(p, "s", "k"), ""}, {"Ini_Write", T.Ini_Write(p, "s", "k", "v"), 0},
    }) do eq(c[2], c[3], c[1]) end
    eq(T.File_ReadAll(dir .. "\\f.txt"), "data")
  end)
end)
