-- Window and process functions of the module, on windows of our own helper
-- program. Texts go to the window layer in the ANSI code page and come back
-- as UTF-8.
local T = require "TARVO"
local bin = T.AppPath()

local function host(options)
  T.Run('"' .. bin .. 'window_host.exe" ' .. options)
end

local function window_of(class)
  local w = 0
  wait_until(function() w = T.Window_Find(0x40000, "", class); return w ~= 0 end, "window " .. class)
  return w
end

test("every window, process and daemon function is registered", function()
  for _, name in ipairs{"Window_Find", "Window_List", "Window_EasyFind", "Window_FindChild",
      "Window_EasyFindChild", "Window_ListChild", "Window_H2E", "Window_E2H", "Window_GetTitle",
      "Window_GetClass", "Window_IsHung", "Window_GetRoot", "Window_GetPID", "Window_GetTID", "Window_Close",
      "Button_Click", "Window_SetSize", "Window_Move", "Window_TopMost", "Window_Send", "Window_Post",
      "Window_GetMessageBox", "Window_GetDlgItem", "Window_CloseMessageBox", "Process_KillName",
      "DaemonThread_Start", "DaemonThread_Stop"} do
    eq(type(T[name]), "function", name)
  end
end)

test("searches, lists and texts across the code pages", function()
  host('--class TvLuaA --title "Café 1" --children 3')
  local w = window_of("TvLuaA")
  eq(T.Window_Find(0x10000, "Café 1", ""), w)  -- the UTF-8 filter meets the ANSI title
  eq(T.Window_Find(0x50000, "Café 1", "TvLuaA", 0, 0), w)
  eq(T.Window_Find(0x50001, "Café 1", "TvLuaA", 0, 0, T.Window_GetPID(w) + 1), 0)
  eq(T.Window_EasyFind("afé", "vLua"), w)
  eq(T.Window_GetTitle(w), "Café 1")
  eq(T.Window_GetClass(w), "TvLuaA")
  local list = T.Window_List(0x40000, "", "TvLuaA")
  eq(BasicLib.TableKind(list), 1)
  eq(#list, 1)
  eq(list[1], w)
  local kids = T.Window_ListChild(w, 0x40000, "", "Button")
  eq(#kids, 3)
  eq(math.type(kids[1]), "integer")
  eq(T.Window_FindChild(w, 0x80000, "", "Stat"), T.Window_E2H(w, "Static", 1))
  eq(T.Window_EasyFindChild(w, "Button 2", "Butt"), kids[2])
  eq(T.Window_E2H(w, "Button", 3), kids[3])
  eq(T.Window_E2H(w, nil, 4), T.Window_FindChild(w, 0x40000, "", "Static"))
  eq(T.Window_H2E(w, "Button", kids[2]), 2)
  eq(T.Window_H2E(w, "Button", w), 3)
  eq(T.Window_GetDlgItem(w, 101), kids[1])
  eq(T.Window_GetRoot(kids[1]), w)
  ok(T.Window_GetTID(w) > 0 and T.Window_GetPID(w) > 0, "owner identifiers")
  eq(T.Window_IsHung(w), false)
  eq(T.Window_Close(w), 0)
  wait_until(function() return T.Window_Find(0x40000, "", "TvLuaA") == 0 end, "the close")
end)

test("titles beyond the code page come back whole", function()
  host('--class TvLuaB --title "中文标题"')
  local w = window_of("TvLuaB")
  eq(T.Window_GetTitle(w), "中文标题")
  T.Window_Close(w)
end)

test("messages: texts for sends, numbers only for posts", function()
  host("--class TvLuaC --title Before")
  local w = window_of("TvLuaC")
  eq(T.Window_Send(w, 12, 0, "Renamed"), 1)  -- the set-text message, across processes
  eq(T.Window_GetTitle(w), "Renamed")
  eq(T.Window_Post(w, 12, 0, "Refused"), false)
  eq(T.Window_Post(w, 12, "Refused", 0), false)
  eq(T.Window_GetTitle(w), "Renamed")
  eq(T.Window_Post(w, 0, 0, 0), true)
  eq(T.Window_Send(w, 14, 0/0, 1e300), 7)  -- the length of the title; numbers no integer holds are 0
  eq(T.Window_SetSize(w, 200, 100), true)
  eq(T.Window_Move(w, 5, 5), true)
  eq(T.Window_TopMost(w, true), true)
  eq(T.Button_Click(w), 0)
  T.Window_Close(w)
  wait_until(function() return T.Window_Find(0x40000, "", "TvLuaC") == 0 end, "the close")
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

test("handles that are not windows", function()
  host("--class TvLuaGone")
  local destroyed = window_of("TvLuaGone")
  T.Window_Close(destroyed)
  wait_until(function() return T.Window_Find(0x40000, "", "TvLuaGone") == 0 end, "the close")
  for _, bad in ipairs{0, -1, 0xFFFF, "text", 1.5, destroyed} do
    for _, r in ipairs(refusals) do eq(T[r[1]](bad, table.unpack(r, 3)), r[2], r[1]) end
    eq(#T.Window_ListChild(bad, 0, "", ""), 0)
  end
  eq(T.Window_GetMessageBox(-1), 0)
end)

test("Process_KillName ends copies of our sleeper only", function()
  with_temp_dir(function(dir)
    local name = "TvLuaSleep" .. T.Rand(1000, 99999) .. ".exe"
    local source = assert(io.open(bin .. "sleeper.exe", "rb"))
    local copy = assert(io.open(dir .. "\\" .. name, "wb"))
    copy:write(source:read("a"))
    source:close()
    copy:close()
    for _ = 1, 2 do ok(T.Run('"' .. dir .. "\\" .. name .. '"') ~= 0, "started") end
    eq(T.Process_KillName(""), false)
    eq(T.Process_KillName("|"), false)
    eq(T.Process_KillName(name:upper()), true)
    eq(T.Process_KillName(name), false)
  end)
end)
