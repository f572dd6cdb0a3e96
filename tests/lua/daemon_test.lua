-- The daemon thread: scripts written here run beside this one, leave marker
-- files in a temporary folder and act on windows of our own helper program.
local T = require "TARVO"
local bin = T.AppPath()
local exit_with = '"' .. bin .. 'exit_with.exe"'

local function exists(path)
  local f = io.open(path, "rb")
  if f then f:close() end
  return f ~= nil
end

local function read(path)
  local f = assert(io.open(path, "rb"))
  local s = f:read("a")
  f:close()
  return s
end

-- Starts `body` as a daemon script in which mark(name) leaves a file and
-- count(name) adds one to a counting file; runs fn(handle, marked, counted,
-- text)
-- and stops the daemon. text(name) reads a file the daemon wrote.
local function with_daemon(body, fn)
  with_temp_dir(function(dir)
    local script = dir .. "\\daemon.lua"
    local f = assert(io.open(script, "wb"))
    f:write(string.format([[
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
    f:close()
    local h = T.DaemonThread_Start(script)
    ok(h ~= 0, "the daemon started")
    local function marked(name) return exists(dir .. "\\" .. name) end
    local function counted(name) return marked(name) and tonumber(read(dir .. "\\" .. name)) or 0 end
    local function text(name) return read(dir .. "\\" .. name) end
    local success, err = pcall(fn, h, marked, counted, text)
    T.DaemonThread_Stop(h)
    if not success then error(err, 0) end
  end)
end

local function host(options)
  T.Run('"' .. bin .. 'window_host.exe" ' .. options)
end

local function gone(title)
  return function() return T.Window_Find(0x10000, title, "") == 0 end
end

test("wrong counts and foreign handles are refused quietly", function()
  eq(T.DaemonThread_Start(), 0)
  eq(T.DaemonThread_Start("a", "b", "c"), 0)
  eq(select("#", T.DaemonThread_Stop()), 0)
  for _, foreign in ipairs{-2, 0, 12345, "x", T.Run(exit_with .. " 0")} do
    eq(select("#", T.DaemonThread_Stop(foreign)), 0)
  end
  ok(true, "the current thread is still running")
end)

test("the daemon's environment", function()
  with_daemon([[
local out = io.open(dir .. "env", "wb")
out:write(appfilename, "|", tostring(apppath == appfile:sub(1, #apppath)), "|", TZ_MATEEXSTY, "|", TZ_USETID,
  "|", type(zanmod.Window_List), "|", #zanmod.SplitText("a,b,c", ","), "|", tostring(pcall(dt_exit, 1)))
out:close()
]], function(h, marked, _, text)
    wait_until(function() return marked("env") end, "the environment report")
    eq(text("env"), "daemon.lua|true|12582912|2|function|3|false")
  end)
end)

test("a rule closes its window; OnQuest, OnClose and OnFinish are asked", function()
  host("--title TvDaemonA")
  host("--title TvDaemonB")
  host("--title TvDaemonC")
  wait_until(function() return T.Window_Find(0x10000, "TvDaemonC", "") ~= 0 end, "the windows")
  with_daemon([[
closewindow = {
  plain = {flag = TZ_FULLTITLE, title = "TvDaemonA", OnFinish = function(w) mark("a finished") end},
  spared = {flag = TZ_FULLTITLE, title = "TvDaemonB", OnQuest = function(w) count("b asked"); return false end,
            OnClose = function() mark("b closed") end, OnFinish = function() mark("b finished") end},
  replaced = {flag = TZ_PARTTITLE, title = "DaemonC", OnQuest = function(w) return math.type(w) == "float" end,
              OnClose = function(w) mark("c closed") end, OnFinish = function() mark("c finished") end},
  ignored = "not a rule",
}
]], function(h, marked, counted)
    wait_until(gone("TvDaemonA"), "the plain rule's close")
    wait_until(function() return marked("a finished") end, "OnFinish")
    wait_until(function() return counted("b asked") >= 2 end, "a second question")
    ok(not marked("b closed") and not marked("b finished"), "a spared window is left alone")
    wait_until(function() return marked("c finished") end, "the replaced close")
    ok(marked("c closed"), "OnClose ran")
  end)
  ok(T.Window_Find(0x10000, "TvDaemonB", "") ~= 0 and T.Window_Find(0x10000, "TvDaemonC", "") ~= 0, "still open")
  T.Window_Close(T.Window_Find(0x10000, "TvDaemonB", ""))
  T.Window_Close(T.Window_Find(0x10000, "TvDaemonC", ""))
end)

test("dt_exit ends the daemon after its cycle and runs OnUnit", function()
  with_daemon([[
function OnInit() mark("init") end
function OnLoop() count("loops"); dt_exit() end
function OnUnit() mark("unit") end
]], function(h, marked, counted)
    wait_until(function() return marked("unit") end, "OnUnit")
    ok(marked("init"), "OnInit ran")
    eq(counted("loops"), 1)
  end)
end)

test("a daemon ends with the thread that started it", function()
  with_daemon([[
local inner = io.open(dir .. "inner.lua", "wb")
inner:write("function OnUnit() local f = io.open(" .. string.format("%q", dir .. "inner unit") .. ", 'wb'); f:close() end")
inner:close()
mark(zanmod.DaemonThread_Start(dir .. "inner.lua") ~= 0 and "inner started" or "inner failed")
function OnLoop() dt_exit() end
]], function(h, marked)
    wait_until(function() return marked("inner unit") end, "the inner daemon's end")
    ok(marked("inner started"), "a daemon starts a daemon")
  end)
end)

test("a stop cuts the daemon off without OnUnit", function()
  with_daemon([[
function OnLoop() count("loops") end
function OnUnit() mark("unit") end
]], function(h, marked, counted)
    wait_until(function() return counted("loops") >= 2 end, "cycles")
    T.DaemonThread_Stop(h)
    local after = counted("loops")
    for _ = 1, 5 do T.Chain(exit_with .. " 0") end
    eq(counted("loops"), after)
    ok(not marked("unit"), "no OnUnit after a stop")
  end)
end)

test("unusable delays fall back to the default", function()
  for _, delay in ipairs{"-1", "0", "'soon'", "0/0"} do
    with_daemon("option = {delay = " .. delay .. "}\nfunction OnLoop() count('loops') end\n", function(h, _, counted)
      wait_until(function() return counted("loops") >= 3 end, "cycles with delay " .. delay)
    end)
  end
end)

test("a hung window does not stall the other rules", function()
  host("--class TvHungDaemon --title Hung --hang 20000")
  host("--title TvDaemonAfterHung")
  wait_until(function() return T.Window_Find(0x10000, "TvDaemonAfterHung", "") ~= 0 end, "the windows")
  wait_until(function() return T.Window_Find(0x40000, "", "TvHungDaemon") ~= 0 end, "the hung window")
  with_daemon([[
closewindow = {
  {flag = TZ_FULLCLASS, class = "TvHungDaemon", OnFinish = function() mark("hung handled") end},
  {flag = TZ_FULLTITLE, title = "TvDaemonAfterHung"},
}
]], function(h, marked)
    wait_until(gone("TvDaemonAfterHung"), "the second rule's close")
    ok(marked("hung handled"), "the hung window came first and was given up")
  end)
  -- The hung program ends by itself.
  wait_until(function() return T.Window_Find(0x40000, "", "TvHungDaemon") == 0 end, "the hung window's end")
end)
