-- The daemon thread: scripts written here run beside this one, leave marker
-- files in a temporary folder and act on windows of our own helper program.
local T = require "TARVO"
local exit_with = '"' .. T.AppPath() .. 'exit_with.exe"'

-- Starts `body` as a daemon script in which mark(name) leaves a file and
-- count(name) adds one to a counting file, runs fn(handle, read) and stops the
-- daemon; read(name) is the text of a file the daemon wrote, false before.
local function with_daemon(body, fn)
  with_temp_dir(function(dir)
    local script = dir .. "\\daemon.lua"
    T.File_WriteAll(script, string.format([[
local dir = %q
function mark(name) local f = io.open(dir .. name, "wb"); f:close() end
function count(name)
  local f = io.open(dir .. name, "rb")
  local n = f and tonumber(f:read("a")) or 0
  if f then f:close() end
  f = io.open(dir .. name, "wb"); f:write(tostring(n + 1)); f:close()
end
option = {delay = 50}
]], dir .. "\\") .. body)
    local h = T.DaemonThread_Start(script)
    ok(h ~= 0, "the daemon started")
    local function read(name) return T.File_Exists(dir .. "\\" .. name) and T.File_ReadAll(dir .. "\\" .. name) end
    finally(function() T.DaemonThread_Stop(h) end, fn, h, read)
  end)
end

local function counted(read, name) return tonumber(read(name)) or 0 end
local function window(title) return T.Window_Find(0x10000, title, "") end

test("wrong counts and foreign handles are refused quietly", function()
  eq(T.DaemonThread_Start() + T.DaemonThread_Start("a", "b", "c"), 0)
  eq(select("#", T.DaemonThread_Stop()), 0)
  for _, foreign in ipairs{-2, 0, 12345, "x", T.Run(exit_with .. " 0")} do
    eq(select("#", T.DaemonThread_Stop(foreign)), 0)
  end
end)

test("the daemon's environment", function()
  with_daemon([[
local out = io.open(dir .. "env", "wb")
out:write(appfilename, "|", tostring(apppath == appfile:sub(1, #apppath)), "|", TZ_MATEEXSTY, "|", TZ_USETID,
  "|", type(zanmod.Window_List), "|", #zanmod.SplitText("a,b,c", ","), "|", tostring(pcall(dt_exit, 1)))
out:close()
]], function(_, read)
    wait_until(function() return read("env") end, "the environment report")
    eq(read("env"), "daemon.lua|true|12582912|2|function|3|false")
  end)
end)

test("a rule closes its window; OnQuest, OnClose and OnFinish are asked", function()
  for _, title in ipairs{"TvDaemonA", "TvDaemonB", "TvDaemonC"} do window_host("--title " .. title) end
  wait_until(function() return window("TvDaemonC") ~= 0 end, "the windows")
  with_daemon([[
closewindow = {
  plain = {flag = TZ_FULLTITLE, title = "TvDaemonA", OnFinish = function(w) mark("a finished") end},
  spared = {flag = TZ_FULLTITLE, title = "TvDaemonB", OnQuest = function(w) count("b asked"); return false end,
            OnClose = function() mark("b closed") end, OnFinish = function() mark("b finished") end},
  replaced = {flag = TZ_PARTTITLE, title = "DaemonC", OnQuest = function(w) return math.type(w) == "float" end,
              OnClose = function(w) mark("c closed") end, OnFinish = function() mark("c finished") end},
  ignored = "not a rule",
}
]], function(_, read)
    wait_until(function() return window("TvDaemonA") == 0 and read("a finished") end, "the plain rule's close")
    wait_until(function() return counted(read, "b asked") >= 2 end, "a second question")
    ok(not read("b closed") and not read("b finished"), "a spared window is left alone")
    wait_until(function() return read("c finished") end, "the replaced close")
    ok(read("c closed"), "OnClose ran")
  end)
  ok(window("TvDaemonB") ~= 0 and window("TvDaemonC") ~= 0, "still open")
  T.Window_Close(window("TvDaemonB"))
  T.Window_Close(window("TvDaemonC"))
end)

test("dt_exit ends the daemon after its cycle and runs OnUnit", function()
  with_daemon([[
function OnInit() mark("init") end
function OnLoop() count("loops"); dt_exit() end
function OnUnit() mark("unit") end
]], function(_, read)
    wait_until(function() return read("unit") end, "OnUnit")
    ok(read("init"), "OnInit ran")
    eq(counted(read, "loops"), 1)
  end)
end)

test("a daemon ends with the thread that started it", function()
  with_daemon([[
local inner = io.open(dir .. "inner.lua", "wb")
inner:write("function OnUnit() local f = io.open(" .. string.format("%q", dir .. "inner unit") .. ", 'wb'); f:close() end")
inner:close()
mark(zanmod.DaemonThread_Start(dir .. "inner.lua") ~= 0 and "inner started" or "inner failed")
function OnLoop() dt_exit() end
]], function(_, read)
    wait_until(function() return read("inner unit") end, "the inner daemon's end")
    ok(read("inner started"), "a daemon starts a daemon")
  end)
end)

test("a stop cuts the daemon off without OnUnit", function()
  with_daemon([[
function OnLoop() count("loops") end
function OnUnit() mark("unit") end
]], function(h, read)
    wait_until(function() return counted(read, "loops") >= 2 end, "cycles")
    T.DaemonThread_Stop(h)
    local after = counted(read, "loops")
    for _ = 1, 5 do T.Chain(exit_with .. " 0") end
    eq(counted(read, "loops"), after)
    ok(not read("unit"), "no OnUnit after a stop")
  end)
end)

test("unusable delays fall back to the default", function()
  for _, delay in ipairs{"-1", "0", "'soon'", "0/0"} do
    with_daemon("option = {delay = " .. delay .. "}\nfunction OnLoop() count('loops') end\n", function(_, read)
      wait_until(function() return counted(read, "loops") >= 3 end, "cycles with delay " .. delay)
    end)
  end
end)

test("a hung window does not stall the other rules", function()
  window_host("--class TvHungDaemon --title Hung --hang 20000")
  window_host("--title TvDaemonAfterHung")
  wait_until(function() return window("TvDaemonAfterHung") ~= 0 end, "the window")
  wait_until(function() return T.Window_Find(0x40000, "", "TvHungDaemon") ~= 0 end, "the hung window")
  with_daemon([[
closewindow = {
  {flag = TZ_FULLCLASS, class = "TvHungDaemon", OnFinish = function() mark("hung handled") end},
  {flag = TZ_FULLTITLE, title = "TvDaemonAfterHung"},
}
]], function(_, read)
    wait_until(function() return window("TvDaemonAfterHung") == 0 end, "the second rule's close")
    ok(read("hung handled"), "the hung window came first and was given up")
  end)
  -- The hung program ends by itself.
  wait_until(function() return T.Window_Find(0x40000, "", "TvHungDaemon") == 0 end, "the hung window's end")
end)
