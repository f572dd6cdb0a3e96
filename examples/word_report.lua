-- A small report written through the word processor: a heading, a paragraph,
-- a table of figures, a correction made with find and replace, the document
-- saved, closed, opened again and read back. Runs against the stand-in word
-- processor with ./scripts/run.sh examples/word_report.lua.
local T = require "TARVO"

local app = T.Word_Create()
assert(app ~= 0, "no word processor is registered")
local doc = T.Word_NewFile(app)
local sel = T.Word_GetSelection(app)

-- The heading, then the body: typing goes where the caret is.
T.Word_Sel_SetStyle(sel, "Heading 1")
T.Word_Sel_InsText(sel, "Quarterly report")
T.Word_Sel_InsLF(sel)
T.Word_Sel_SetStyle(sel, "Normal")
T.Word_Sel_SetFont(sel, "Calibri", 11, 0, 0, 0)
T.Word_Sel_InsText(sel, "Sales grew in every regoin; the table lists them.")

-- A table at the caret (range 0: the selection), one row per region.
local figures = {{"Region", "Sales"}, {"North", "1 200"}, {"S\u{fc}d", "980"}, {"\u{4e1c}\u{90e8}", "1 430"}}
local table_ = T.Word_Doc_InsTable(doc, 0, #figures, 2)
for r, row in ipairs(figures) do
  for c, text in ipairs(row) do T.Word_Table_SetText(table_, r, c, text) end
end
T.COM_Release(table_)

-- The typo fixed everywhere in the document.
print("replaced", T.Word_Doc_Replace(doc, "regoin", "region"))
print("words", T.Word_GetWordCount(doc), "paragraphs", T.Word_GetParagraphCount(doc), "pages", T.Word_GetPageCount(doc))

local path = (os.getenv("TEMP") or ".") .. "\\tarvo_word_report.docx"
print("saved", T.Word_File_SaveAs(doc, path), "as", T.Word_File_Name(doc))
T.Word_File_Close(doc)
T.COM_Release(sel)
T.COM_Release(doc)

-- Opened again, read-only: the cells come back with their end-of-cell mark.
doc = T.Word_OpenFile(app, path, true)
table_ = T.Word_Doc_GetTable(doc, 1)
for r = 1, #figures do
  local region = T.Word_Table_GetText(table_, r, 1):gsub("\r\a$", "")
  local sales = T.Word_Table_GetText(table_, r, 2):gsub("\r\a$", "")
  print(region, sales)
end
print("documents open", T.Word_GetFileCount(app))
T.COM_Release(table_)
T.COM_Release(doc)
T.Word_CloseAllFil(app)
T.Word_Quit(app)
T.COM_Release(app)
os.remove(path)
