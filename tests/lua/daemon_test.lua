-- The daemon thread: scripts written here run beside this one and act on windows of our helper program.
local exit_with = '"' .. T.AppPath() .. 'exit_with.exe"'

-- Starts `body` as a daemon script in which mark(name, text) appends text (or
-- one "x", so marks count) to a file, runs fn(handle, read) and stops the
-- daemon; read(name) is the text of a file the daemon wrote, false before.
local function with_daemon(body, fn)
  with_temp_dir(function(dir)
    local script = dir .. "\\daemon.lua"
    T.File_WriteAll(script, string.format([[
local dir = %q
function mark(name, text) local f = io.open(dir .. name, "ab"); f:write(text or "x"); f:close() end
option = {delay = 50}
]], dir .. "\\") .. body)
    local h = T.DaemonThread_Start(script)
    ok(h ~= 0, "the daemon started")
    local function read(name) return T.File_Exists(dir .. "\\" .. name) and T.File_ReadAll(dir .. "\\" .. name) end
    finally(function() T.DaemonThread_Stop(h) end, fn, h, read)
  end)
end

local function counted(read, name) return #(read(name) or "") end
local function window(title, class) return T.Window_Find(class and 0x40000 or 0x10000, title, class or "") end

test("wrong counts and foreign handles are refused quietly", function()
  eq(T.DaemonThread_Start() + T.DaemonThread_Start("a", "b", "c"), 0)
  for _, foreign in ipairs{{}, {-2}, {0}, {12345}, {"x"}, {T.Run(exit_with .. " 0")}} do
    eq(select("#", T.DaemonThread_Stop(table.unpack(foreign))), 0)
  end
end)

test("dt_exit ends the daemon after its cycle with OnUnit, and the daemons it started", function()
  with_daemon([[
mark("inner.lua", "function OnUnit() io.open(" .. string.format("%q", dir .. "inner unit") .. ", 'wb'):close() end")
mark(zanmod.DaemonThread_Start(dir .. "inner.lua") ~= 0 and "inner started" or "inner failed")
function OnInit() mark("init") end
function OnLoop() mark("loops"); dt_exit() end
function OnUnit() mark("unit") end
]], function(_, read)
    wait_until(function() return read("unit") and read("inner unit") end, "the ends of both daemons")
    ok(read("init") and read("inner started"), "OnInit ran; a daemon starts a daemon")
    eq(counted(read, "loops"), 1)
  end)
end)

-- A stop that comes while the main chunk still runs ends the daemon when the chunk does: no OnInit, no cycle.
-- The chunk runs two seconds (os.clock is the wall clock here), so the stop always comes while it runs.
test("a stop during a slow main chunk", function()
  with_daemon(string.format([[
mark("main")
local started = os.clock()
repeat zanmod.Chain(%q) until os.clock() - started > 2
function OnInit() mark("init") end
function OnLoop() mark("loops") end
]], exit_with .. " 0"), function(h, read)
    wait_until(function() return read("main") end, "the main chunk's start")
    T.DaemonThread_Stop(h)
    for _ = 1, 3 do T.Chain(exit_with .. " 0") end
    ok(not read("init") and not read("loops"), "nothing ran after the main chunk")
  end)
end)

-- The array part's rules come first: a hung window is given up without stalling
-- the rules after it. A stop cuts the daemon off without OnUnit.
test("the environment; rules, their callbacks and a hung window; a stop", function()
  window_host("--class TvHungDaemon --title Hung --hang 20000")
  for _, title in ipairs{"TvDaemonA", "TvDaemonB", "TvDaemonC", "TvDaemonAfterHung"} do
    window_host("--title " .. title)
  end
  wait_until(function() return window("TvDaemonAfterHung") ~= 0 and window("", "TvHungDaemon") ~= 0 end, "windows")
  with_daemon([[
mark("env", table.concat({appfilename, tostring(apppath == appfile:sub(1, #apppath)), TZ_MATEEXSTY, TZ_USETID,
  type(zanmod.Window_List), #zanmod.SplitText("a,b,c", ","), tostring(pcall(dt_exit, 1))}, "|"))
closewindow = {
  {flag = TZ_FULLCLASS, class = "TvHungDaemon", OnFinish = function() mark("hung handled") end},
  {flag = TZ_FULLTITLE, title = "TvDaemonAfterHung"},
  plain = {flag = TZ_FULLTITLE, title = "TvDaemonA", OnFinish = function(w) mark("a finished") end},
  spared = {flag = TZ_FULLTITLE, title = "TvDaemonB", OnQuest = function(w) mark("b asked"); return false end,
            OnClose = function() mark("b closed") end, OnFinish = function() mark("b finished") end},
  replaced = {flag = TZ_PARTTITLE, title = "DaemonC", OnQuest = function(w) return math.type(w) == "float" end,
              OnClose = function(w) mark("c closed") end, OnFinish = function() mark("c finished") end},
  ignored = "not a rule",
}
function OnLoop() mark("loops") end
function OnUnit() mark("unit") end
]], function(h, read)
    wait_until(function() return window("TvDaemonAfterHung") == 0 end, "the close after the hung window")
    eq(read("env"), "daemon.lua|true|12582912|2|function|3|false")
    ok(read("hung handled"), "the hung window came first and was given up")
    wait_until(function() return window("TvDaemonA") == 0 and read("a finished") end, "the plain rule's close")
    wait_until(function() return counted(read, "b asked") >= 2 end, "a second question")
    ok(not read("b closed") and not read("b finished"), "a spared window is left alone")
    wait_until(function() return read("c finished") and read("c closed") end, "the replaced close")
    T.DaemonThread_Stop(h)
    local after = counted(read, "loops")
    for _ = 1, 5 do T.Chain(exit_with .. " 0") end
    ok(after > 0 and counted(read, "loops") == after and not read("unit"), "cycles ran; none and no OnUnit after a stop")
  end)
  for _, title in ipairs{"TvDaemonB", "TvDaemonC"} do
    local w = window(title)
    ok(w ~= 0 and T.Window_Close(w) == 0, title .. " still open")
  end
  wait_until(function() return window("", "TvHungDaemon") == 0 end, "the hung program's own end")
end)

-- The default is a pause between cycles (200 ms; a sleep never ends early), not a busy loop:
-- os.clock is the process's wall clock here.
test("unusable delays fall back to the default", function()
  for _, delay in ipairs{"-1", "0", "'soon'", "0/0"} do
    with_daemon("option = {delay = " .. delay .. "}\nfunction OnLoop() mark('loops', os.clock() .. ' ') end\n",
                function(_, read)
      wait_until(function() return select(2, (read("loops") or ""):gsub(" ", "")) >= 3 end, "cycles with delay " .. delay)
      local last
      for t in read("loops"):gmatch("%S+") do
        if last then ok(tonumber(t) - last >= 0.15, "a pause between cycles with delay " .. delay .. ": " .. read("loops")) end
        last = tonumber(t)
      end
    end)
  end
end)
