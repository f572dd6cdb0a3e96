-- Every function of the module called inside pcall with hostile arguments: a
-- raised error is a clean refusal, but the process must survive every call,
-- release what the library allocated and leave nothing outside the scratch
-- folder it runs in. Argument: lua.tsv; SWEEP_TRACE=1 prints each call first.
local contract = read_contract(assert(..., "the path of lua.tsv is expected"))
local trace = os.getenv("SWEEP_TRACE")

-- Not run: what starts or ends processes, blocks in a dialog or message box,
-- creates or attaches to servers, runs a loop or thread, or makes COM failures block.
local skipped = {"^Run$", "^Start$", "^Chain$", "^Process_Kill", "^PID_", "Dialog$", "^MsgBox$", "^InputBox$",
  "_Create$", "_GetObject$", "^OP_CreateObject$", "^LoadGUI$", "^DaemonThread_", "^COM_ShowError$"}
-- Families whose first argument (COM_GetW: second) is an object handle the
-- library gave out: no non-zero integer goes there.
local handle_first = {"^COM_", "^Excel_", "^WPS_", "^Word_", "^PPT_", "^Outlook_", "^SAP_", "^OP_", "^LibXL_"}

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

local function matches(name, patterns)
  for _, pattern in ipairs(patterns) do
    if name:find(pattern) then return true end
  end
  return false
end

-- A count the contract documents is never refused as a count, whatever the values.
local function call(name, fn, n, args, label, documented)
  if trace then print(string.format("%s/%d %s", name, n, label)) end
  local success, err = pcall(fn, table.unpack(args, 1, n))
  if documented and not success and tostring(err):find("param count error !", 1, true) then
    error(string.format("%d argument(s) refused as a wrong count (%s)", n, label), 0)
  end
end

-- Each value once at all positions together and once at every position (the
-- rest the filler), at every documented count and one more (0 to 4 for a name
-- the contract lacks).
local function sweep(name, fn)
  local handle = name == "COM_GetW" and 2 or matches(name, handle_first) and 1
  local pins, c = pinned[name] or {}, contract[name] or {low = 0, high = 3}
  for n = c.low, (c.high or c.low) + 1 do
    local documented = contract[name] and n <= (c.high or math.maxinteger)
    for _, h in ipairs(hostile) do
      local value, usable = h[2], not (math.tointeger(h[2]) and h[2] ~= 0)
      local function held(i) return pins[i] or (i == handle and not usable) end
      for at = 0, n do  -- 0: everywhere
        if at == 0 or not held(at) then
          local args = {}
          for i = 1, n do args[i] = ((at ~= 0 and i ~= at) or held(i)) and filler or value end
          call(name, fn, n, args, h[1] .. (at == 0 and " everywhere" or " at " .. at), documented)
        end
      end
    end
  end
end

local function listing(folder)
  local p = assert(io.popen('dir /b /a "' .. folder .. '" 2>nul'))
  return p:read("a"), p:close()
end
-- Watched: the Windows folder (bare INI names land there) and the scratch one's
-- parent; the shared temporary folder is left to the tests beside this one.
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
