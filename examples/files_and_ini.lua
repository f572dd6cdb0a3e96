-- Files, folders, paths and INI files: write a small report folder, read it
-- back, keep settings in an INI file and tidy up.
--   ./scripts/run.sh examples/files_and_ini.lua
local T = require "TARVO"

-- A folder of our own below the temporary folder (CSIDL 0x1C is the local
-- application data folder; TEMP is simpler here).
local root = T.Path_Join(os.getenv("TEMP"), T.Path_Random("tarvo_example_", "", 8))
local reports = T.Path_Join(root, "reports\\2026")
T.Folder_Create(reports)  -- creates every missing level
print("folder created: " .. tostring(T.Folder_Exists(reports)))

-- Text files: UTF-8 by default; File_ReadAll detects the encoding.
local summary = T.Path_Join(reports, "summary.txt")
T.File_WriteAll(summary, "Umsatz: 1250,50 €\n客户: 北京贸易\n")
T.File_Append(summary, "status: done\n")
print("summary.txt holds " .. #T.File_ReadAll(summary) .. " bytes:")
io.write(T.File_ReadAll(summary))

-- The same text stored as UTF-16 (code page 1200) reads back the same.
local wide = T.Path_Join(reports, "summary-utf16.txt")
T.File_WriteAll(wide, "Umsatz: 1250,50 €\n", nil, 1200)
print("UTF-16 copy reads back: " .. T.File_ReadAll(wide):gsub("\n$", ""))

-- Paths taken apart.
print("name: " .. T.Path_FileNameExt(summary) .. ", stem: " .. T.Path_FileName(summary) ..
      ", extension: " .. T.Path_FileExt(summary))
-- Path_GetRel(a, b) is the route leading from a to b.
print("from the root to the file: " .. T.Path_GetRel(root, summary))

-- Copy a file, then find every text file below the root.
T.File_Copy(summary, T.Path_Join(root, "latest.txt"))
local found = T.File_FindAll(root, "*.txt")
local names = {}
for _, path in ipairs(found) do names[#names + 1] = T.Path_GetRel(root, path) end
table.sort(names)
print("text files: " .. table.concat(names, ", "))

-- Settings in an INI file.
local ini = T.Path_Join(root, "settings.ini")
T.Ini_Write(ini, "report", "title", "Monthly orders")
T.Ini_Write(ini, "report", "pages", "12")
print("title: " .. T.Ini_Read(ini, "report", "title") .. ", pages: " .. T.Ini_ReadInt(ini, "report", "pages"))
print("missing key: \"" .. T.Ini_Read(ini, "report", "author") .. "\"")

-- Tidy up: the files and the folders below the root, then the root itself.
print("entries removed below the root: " .. T.Folder_Delete(root))
os.execute('rmdir "' .. root .. '"')
print("root still there: " .. tostring(T.Folder_Exists(root)))
