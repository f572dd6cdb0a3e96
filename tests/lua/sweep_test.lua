-- Every function of the module, found in its table at run time, called inside
-- pcall with hostile arguments at its documented argument counts and one more.
-- A raised error is a clean refusal; the process must survive every call,
-- release what the library allocated and leave nothing outside the scratch
-- folder it runs in. Argument: the path of lua.tsv; SWEEP_TRACE=1 prints each
-- call first.
local T = require "TARVO"
local contract = read_contract(assert(..., "the path of lua.tsv is expected"))
local trace = os.getenv("SWEEP_TRACE")

-- Not run at all, with the reason. Patterns match whole families to come.
local skipped = {
  {"^Run$", "starts a process"}, {"^Start$", "starts a process"}, {"^Chain$", "starts a process and waits"},
  {"^COM_ShowError$", "makes later COM failures block in a message box"},
  {"_Create$", "creates an automation server"}, {"_GetObject$", "attaches to a running server"},
  {"^OP_CreateObject$", "creates an automation object"}, {"Dialog$", "blocks in a dialog"},
  {"^MsgBox$", "blocks in a message box"}, {"^InputBox$", "blocks in a dialog"}, {"^LoadGUI$", "runs a window loop"},
  {"^DaemonThread_", "runs a script thread"}, {"^Process_Kill", "ends processes"}, {"^PID_", "acts on processes"},
  {"^Surfpod_", "starts the companion browser"}
}

-- Positions of object handles (pointers the library gave out): only values
-- that are not a non-zero integer go there.
local handle_positions = {
  {"^COM_GetW$", {2}}, {"^COM_", {1}}, {"^Excel_", {1}}, {"^WPS_", {1}}, {"^Word_", {1}}, {"^PPT_", {1}}, {"^Outlook_", {1}},
  {"^SAP_", {1}}, {"^OP_", {1}}, {"^LibXL_", {1}},
}

local scratch = assert(T.Path_GetAbs("."), "the working folder")
local filler = scratch .. "\\f"  -- a harmless argument for the positions not under test
-- A bare INI name is written into the Windows folder by design: held to the filler.
local pinned = {Ini_Write = {[1] = true}}

local hostile = {
  {"nil", nil}, {"0", 0}, {"-1", -1}, {"int32 max", 0x7FFFFFFF}, {"int32 min", -0x80000000},
  {"int64 max", math.maxinteger}, {"int64 min", math.mininteger}, {"2^32", 2.0 ^ 32}, {"1e308", 1e308},
  {"NaN", 0 / 0}, {"true", true}, {"table", {}}, {"function", print}, {"empty", ""},
  {"100000 characters", string.rep("x", 100000)}, {"zero bytes", "a\0b\0"}, {"invalid UTF-8", "\xff\xfe\xc3(\x80"},
}

local function matches(name, list)
  for _, entry in ipairs(list) do
    if name:find(entry[1]) then return entry[2] end
  end
end

local function allowed(value, position, handles)
  for _, p in ipairs(handles or {}) do
    if p == position then return not (math.tointeger(value) and value ~= 0) end
  end
  return true
end

local function call(name, fn, n, args, label)
  if trace then print(string.format("%s/%d %s", name, n, label)) end
  pcall(fn, table.unpack(args, 1, n))
end

-- Each value once at every position (the rest the filler) and once at all
-- positions together.
local function sweep(name, fn)
  local handles, pins = matches(name, handle_positions), pinned[name] or {}
  -- Every documented count and one more; a name the contract lacks gets 0 to 4.
  local c = contract[name] or {low = 0, high = 3}
  for n = c.low, (c.high or c.low) + 1 do
    for _, h in ipairs(hostile) do
      local label, value, all = h[1], h[2], {}
      for i = 1, n do all[i] = (pins[i] or not allowed(value, i, handles)) and filler or value end
      call(name, fn, n, all, label .. " everywhere")
      for i = 1, n do
        if not pins[i] and allowed(value, i, handles) then
          local one = {}
          for j = 1, n do one[j] = j == i and value or filler end
          call(name, fn, n, one, label .. " at " .. i)
        end
      end
    end
  end
end

local function listing(folder)
  local p = assert(io.popen('dir /b /a "' .. folder .. '" 2>nul'))
  local text = p:read("a")
  p:close()
  return text
end
-- The Windows folder (bare INI names land there) and the folder around the
-- scratch one; the shared temporary folder is left to the tests beside this one.
local watched = {T.SystemPath(0x24), scratch .. "\\.."}
local before = {}
for i, folder in ipairs(watched) do before[i] = listing(folder) end

local names = {}
for name in pairs(T) do names[#names + 1] = name end
table.sort(names)
local swept = 0
for _, name in ipairs(names) do
  if not matches(name, skipped) then
    test(name .. " survives hostile arguments", function() sweep(name, T[name]) end)
    swept = swept + 1
  end
end
if T.COM_HideError then T.COM_HideError() end

test("the sweep reached the module's functions", function() ok(swept >= 40, swept .. " functions") end)
test("nothing appeared outside the scratch folder", function()
  for i, folder in ipairs(watched) do eq(listing(folder), before[i], folder) end
end)
os.execute('for /d %d in ("' .. scratch .. '\\*") do @rmdir /s /q "%d"')
os.execute('del /f /q "' .. scratch .. '\\*" 2>nul')
