-- Window functions on our helper program's windows: texts go in the ANSI code page and come back as UTF-8.

-- The window, once its program pumps messages: a title is read with a 60 ms send, which a program still
-- building its window (on a busy machine) would not answer in time.
local function window_of(class)
  local w = 0
  wait_until(function()
    w = T.Window_Find(0x40000, "", class)
    return w ~= 0 and not T.Window_IsHung(w)
  end, "window " .. class)
  return w
end

local function close(w, class)
  local result = T.Window_Close(w)
  wait_until(function() return T.Window_Find(0x40000, "", class) == 0 end, "the close of " .. class)
  return result
end

test("searches, lists, texts and messages across the code pages", function()
  window_host('--class TvLuaA --title "Café 1" --children 3')
  local w = window_of("TvLuaA")
  eq(T.Window_Find(0x10000, "Café 1", "") .. T.Window_EasyFind("afé", "vLua"), w .. w)  -- UTF-8 meets ANSI
  eq(T.Window_Find(0x50001, "Café 1", "TvLuaA", 0, 0, T.Window_GetPID(w) + 1), 0)
  eq(T.Window_GetTitle(w) .. T.Window_GetClass(w), "Café 1TvLuaA")
  local list, kids = T.Window_List(0x40000, "", "TvLuaA"), T.Window_ListChild(w, 0x40000, "", "Button")
  eq(BasicLib.TableKind(list) .. #list .. #kids .. math.type(kids[1]), "113integer")
  eq(list[1], w)
  local static = T.Window_FindChild(w, 0x80000, "", "Stat")
  eq(T.Window_E2H(w, nil, 4) .. T.Window_GetRoot(static), static .. w)
  eq(T.Window_EasyFindChild(w, "Button 2", "Butt") .. T.Window_E2H(w, "Button", 3), kids[2] .. kids[3])
  eq(T.Window_H2E(w, "Button", kids[2]) .. T.Window_H2E(w, "Button", w) .. T.Window_GetDlgItem(w, 101), "23" .. kids[1])
  ok(T.Window_GetTID(w) > 0 and T.Window_GetPID(w) > 0 and not T.Window_IsHung(w), "owner identifiers; not hung")
  eq(T.Button_Click(w), 0)
  eq(T.Window_Send(w, 12, 0, "Renamed"), 1)  -- the set-text message, across processes
  eq(T.Window_Post(w, 12, 0, "Refused") or T.Window_Post(w, 12, "Refused", 0), false)
  eq(T.Window_GetTitle(w), "Renamed")
  eq(T.Window_Post(w, 0, 0, 0), true)
  eq(T.Window_Send(w, 14, 0/0, 1e300), 7)  -- the length of the title; numbers no integer holds are 0
  eq(T.Window_SetSize(w, 200, 100) and T.Window_Move(w, 5, 5) and T.Window_TopMost(w, true), true)
  eq(close(w, "TvLuaA"), 0)
end)

-- The get-text message writes up to wParam characters through lParam: each text sent is a writable block of its
-- own that holds them, the empty text included.
test("texts sent in messages are blocks the message may write", function()
  local title = string.rep("Long title", 4)
  window_host('--class TvLuaLong --title "' .. title .. '"')
  local w = window_of("TvLuaLong")
  for _, text in ipairs{"a", "", "中"} do eq(T.Window_Send(w, 13, 200, text), #title, text) end
  eq(T.Window_Send(w, 13, 8, ""), 7)
  ok(HeapSound(), "the heap is sound")
  eq(close(w, "TvLuaLong"), 0)
end)

-- The calls and their answers for anything that is not a window.
local refusals = {
  {"Window_GetTitle", ""}, {"Window_GetClass", ""}, {"Window_IsHung", false}, {"Window_GetRoot", 0},
  {"Window_GetPID", 0}, {"Window_GetTID", 0}, {"Window_Close", 0}, {"Button_Click", 0},
  {"Window_Send", 0, 16, 0, 0}, {"Window_Post", false, 16, 0, 0}, {"Window_Move", false, 1, 1},
  {"Window_SetSize", false, 9, 9}, {"Window_TopMost", false, true}, {"Window_GetDlgItem", 0, 1},
  {"Window_E2H", 0, "", 1}, {"Window_H2E", 0, "", 1}, {"Window_FindChild", 0, 0, "", ""},
  {"Window_EasyFindChild", 0, "", ""}, {"Window_CloseMessageBox", 0, 1, 2},
}

test("titles beyond the code page; handles that are not windows", function()
  window_host('--class TvLuaGone --title "中文标题"')
  local destroyed = window_of("TvLuaGone")
  eq(T.Window_GetTitle(destroyed), "中文标题")
  close(destroyed, "TvLuaGone")
  for _, bad in ipairs{0, -1, 0xFFFF, "text", 1.5, destroyed} do
    for _, r in ipairs(refusals) do eq(T[r[1]](bad, table.unpack(r, 3)), r[2], r[1]) end
    eq(#T.Window_ListChild(bad, 0, "", ""), 0)
  end
  eq(T.Window_GetMessageBox(-1), 0)
  eq(T.Process_KillName(""), false)
end)

test("Process_KillName is true when a process was ended", function()
  with_temp_dir(function(dir)
    local name = string.format("tvl%d.exe", math.random(1, 1 << 30))
    T.File_Copy(T.AppPath() .. "sleeper.exe", dir .. "\\" .. name)
    ok(T.Run('"' .. dir .. "\\" .. name .. '"') ~= 0, "the program started")
    eq(T.Process_KillName(name:upper() .. "|" .. name), true)
    eq(T.Process_KillName(name), false)
  end)
end)
