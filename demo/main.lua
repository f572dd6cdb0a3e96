-- The tarvo demo script: what an automation script sees of the library when
-- it loads the module TARVO. Run by scripts/run.sh through the script engine
-- (lunrun.exe); any other script can be given instead.
local T = require "TARVO"

local function section(title) print("\n== " .. title .. " ==") end
local function show(label, ...) print(string.format("%-28s", label), ...) end

local count = 0
for _ in pairs(T) do count = count + 1 end
print(string.format("TARVO module loaded: %d Lua functions", count))

section("Paths")
show("engine program", T.AppFile())
show("its folder", T.AppPath())
show("system folder (CSIDL 0x25)", T.SystemPath(0x25))

section("Result registers")
show("LastError / sRet", string.format("%q / %q", T.LastError(), T.sRet()))
local wide = T.U2W("Grüße, 世界")
show("U2W(\"Grüße, 世界\") bytes", #wide, "iRetSize = " .. T.iRetSize())

section("Conversions")
show("UTF-16 as hex", T.HexEncode(wide))
show("and back with W2U", T.W2U(wide))
show("W2M to UTF-8, first 10 bytes", T.W2M(wide, 65001, 10))
show("A2W(\"abc\") as hex", T.HexEncode(T.A2W("abc")))

section("Split, replace, trim")
local parts = T.SplitText("alpha,beta,gamma,δέλτα", ",")
show("SplitText -> " .. #parts .. " pieces", table.concat(parts, " | "))
show("Split on \"--\"", table.concat(T.Split("a--b--c", "--"), " | "))
show("Replace", T.Replace("the cat sat on the mat", "at", "og"))
show("Trim", "[" .. T.Trim("  \t padded text \t ", " \t") .. "]")
show("StringFilter", T.StringFilter("0800-555-0199", "-"))
show("UriEncode", T.UriEncode("https://example.com:8080/a path/?q=世界"))
show("UriDecode", T.UriDecode("a%20b%E4%B8%96"))

section("Hashing")
show("MD5(\"abc\")", T.MD5("abc"))
show("MD5(\"abc\", \"unicode\")", T.MD5("abc", "unicode"))
show("MD5_File(this script)", T.MD5_File(arg[0]))
show("MD5_File(missing file)", string.format("%q", T.MD5_File(T.AppPath() .. "no-such-file")))

section("Dates, booleans, random numbers")
show("DaysInMonth(2024, 2)", T.DaysInMonth(2024, 2))
show("DaysInMonth(2023, 2)", T.DaysInMonth(2023, 2))
show("BoolToString(true, 3)", T.BoolToString(true, 3), T.BoolToString(false, 7))
show("StringToBool(\"YES\")", T.StringToBool("YES"), T.StringToBool("是"), T.StringToBool("nope"))
show("Rand(1, 100), Rand()", T.Rand(1, 100), T.Rand())

section("Processes")
local helper = T.AppPath() .. "exit_with.exe"
local present = io.open(helper, "rb")
if present then
  present:close()
  show("Chain(exit_with.exe 42)", T.Chain('"' .. helper .. '" 42'))
end
show("Chain(cmd /c exit 3, hidden)", T.Chain("cmd /c exit 3", 0))
show("Run(missing program)", T.Run("no-such-program.exe"))

section("Spreadsheet")
-- Against the project's stand-in spreadsheet server, which a fresh Wine
-- prefix does not know yet: it is registered the way an installed
-- application would be, from the file the build writes beside bin.
local app = T.Excel_Create()
if app == 0 then
  T.Chain('reg import "' .. T.AppPath() .. '..\\standins\\tarvo_excel_standin.reg"', 0)
  app = T.Excel_Create()
end
if app == 0 then
  show("Excel_Create", "no spreadsheet application is registered")
else
  local book = T.Excel_NewBook(app)
  local sheet = T.Excel_Book_GetSheet_Index(book, 1)
  T.Excel_Sheet_SetCellText(sheet, 1, 1, "Grüße, 世界")
  T.Excel_Sheet_SetCellNumber(sheet, 1, 2, 3.75)
  T.Excel_Sheet_SetCellFormula(sheet, 1, 3, "=B1*2")
  show("A1, B1, C1", T.Excel_Sheet_GetCellText(sheet, 1, 1), T.Excel_Sheet_GetCellNumber(sheet, 1, 2),
       T.Excel_Sheet_GetCellText(sheet, 1, 3))
  show("sheets in " .. T.Excel_Book_Name(book), T.Excel_Book_GetSheetCount(book), T.Excel_Book_GetSheetName(book, 1))
  local path = T.AppPath() .. "demo_book.xlsx"
  show("SaveAs, then Close", T.Excel_Book_SaveAs(book, path), T.Excel_Book_Close(book))
  T.COM_Release(sheet)
  T.COM_Release(book)
  book = T.Excel_OpenBook(app, path, true)
  sheet = T.Excel_Book_GetSheet(book, "Sheet1")
  show("opened " .. T.Excel_Book_Name(book) .. ": A1", T.Excel_Sheet_GetCellText(sheet, 1, 1))
  T.COM_Release(sheet)
  T.Excel_Book_Close(book)
  T.COM_Release(book)
  T.Excel_Quit(app)
  T.COM_Release(app)
  T.File_Delete(path)
end

section("Word processing")
-- Against the stand-in word processor, registered the same way when needed.
local word = T.Word_Create()
if word == 0 then
  T.Chain('reg import "' .. T.AppPath() .. '..\\standins\\tarvo_word_standin.reg"', 0)
  word = T.Word_Create()
end
if word == 0 then
  show("Word_Create", "no word processor is registered")
else
  local doc = T.Word_NewFile(word)
  local sel = T.Word_GetSelection(word)
  T.Word_Sel_InsText(sel, "Grüße, 世界: a first line")
  T.Word_Sel_InsLF(sel)
  T.Word_Sel_InsText(sel, "and a second")
  show("words, paragraphs", T.Word_GetWordCount(doc), T.Word_GetParagraphCount(doc))
  show("Doc_Replace(\"first\", \"1st\")", T.Word_Doc_Replace(doc, "first", "1st"))
  local grid = T.Word_Doc_InsTable(doc, 0, 2, 2)
  T.Word_Table_SetText(grid, 1, 1, "cell")
  show("table cell (with its mark)", string.format("%q", T.Word_Table_GetText(grid, 1, 1)))
  T.COM_Release(grid)
  T.COM_Release(sel)
  T.Word_File_Close(doc)
  T.COM_Release(doc)
  T.Word_Quit(word)
  T.COM_Release(word)
end

section("Windows and processes")
local windows = T.Window_List(0, "", "")
show("top-level windows", #windows)
if #windows > 0 then
  local w = windows[1]
  show("the first one", string.format("%q, class %q, process %d", T.Window_GetTitle(w), T.Window_GetClass(w),
       T.Window_GetPID(w)))
end
show("Window_Find of a missing title", T.Window_Find(0x10000, "no such window", ""))
show("Process_KillName(no match)", T.Process_KillName("no-such-program.exe"))

section("Argument checks")
show("Trim() raises", select(2, pcall(T.Trim)))

print("\nDone.")
