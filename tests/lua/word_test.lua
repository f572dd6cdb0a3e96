-- Word functions beyond their rows (the C tests check those, texts and cells included): argument types,
-- defaults, the two hand-written functions (wrong argument counts: the registry test).

local function with_document(fn)
  local app = T.Word_Create()
  ok(app ~= 0, "the stand-in is registered")
  local doc = T.Word_NewFile(app)
  local sel = T.Word_GetSelection(app)
  local function journal()
    local text = T.COM_GetW(1, app, "._Journal")
    T.COM_CallW(app, "._ClearJournal()")
    return text
  end
  finally(function()
    for _, object in ipairs({sel, doc}) do T.COM_Release(object) end
    T.Word_Quit(app)
    T.COM_Release(app)
  end, fn, app, doc, sel, journal)
end

test("optional arguments take their defaults: read-write, statistics flag 0, close unsaved", function()
  with_document(function(app, doc, sel, journal)
    eq(T.Word_Sel_InsText(sel, "\xe4\xb8\xad\xe6\x96\x87 text \xf0\x9f\x98\x80"), true)
    journal()
    eq(T.Word_GetWordCount(doc), 4)
    eq(T.Word_GetCharCount(doc, true), 7)
    eq(T.Word_OpenFile(app, "missing.docx"), 0)
    eq(journal(), "get ComputeStatistics(I4:0,BOOL:0)\nget ComputeStatistics(I4:3,BOOL:-1)\n" ..
       "get Documents()\nget Open(BSTR:missing.docx,I4:0,BOOL:0)\n")
    local other = T.Word_NewFile(app)
    journal()
    eq(T.Word_File_Close(other), true)
    eq(journal(), "call Close(BOOL:0)\n")
    T.COM_Release(other)
  end)
end)

test("the active document by name or index; nothing is sent for other types", function()
  with_document(function(app, doc, sel, journal)
    local second = T.Word_NewFile(app)
    journal()
    eq(T.Word_SetActiveFile(app, 1), true)
    eq(T.Word_SetActiveFile(app, "Document2"), true)
    eq(T.Word_SetActiveFile(app, {}), false)
    eq(T.Word_SetActiveFile(app, nil), false)
    eq(journal(), "get Documents(I4:1)\ncall Activate()\nget Documents(BSTR:Document2)\ncall Activate()\n")
    eq(T.Word_File_Name(T.Word_GetFile_Index(app, 2, "spare")), "Document2")
    T.COM_Release(second)
    eq(T.Word_CloseAllFil(app), true)
    eq(T.Word_GetFileCount(app), 0)
  end)
end)
