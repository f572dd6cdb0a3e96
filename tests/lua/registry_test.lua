-- The module's registry against the contract's list of Lua names and their
-- argument counts (the path of lua.tsv is the first argument).
local T = require "TARVO"
local contract_path = assert(..., "the path of lua.tsv is expected")

local contract, count = {}, 0
for line in io.lines(contract_path) do
  local name, family, counts = line:match("^([^\t]+)\t([^\t]+)\t([^\t\r]+)")
  if name then
    contract[name] = {family = family, counts = counts}
    count = count + 1
  end
end

-- Argument counts that must be refused, from "exactly n", "a-b" or "n+".
local function refused_counts(counts)
  local exact = counts:match("^exactly (%d+)$")
  local low, high = counts:match("^(%d+)-(%d+)$")
  local open = counts:match("^(%d+)%+$")
  low = tonumber(exact or low or open)
  high = tonumber(exact or high)
  local refused = {}
  if low > 0 then refused[#refused + 1] = low - 1 end
  if high then refused[#refused + 1] = high + 1 end
  return refused
end

-- These report a wrong count without raising.
local quiet = {DaemonThread_Start = true, DaemonThread_Stop = true}

test("the contract lists 609 names", function()
  eq(count, 609)
end)

test("every registered function is a contract name", function()
  for name, fn in pairs(T) do
    ok(contract[name], "registered but not in the contract: " .. name)
    eq(type(fn), "function", name)
  end
end)

test("no family is half registered", function()
  local started = {}
  for name in pairs(T) do
    if contract[name] then started[contract[name].family] = true end
  end
  for name, row in pairs(contract) do
    if started[row.family] then ok(T[name], "missing from the " .. row.family .. " family: " .. name) end
  end
  for _, family in ipairs({"core", "text", "datetime", "lua"}) do
    ok(started[family], "family not registered: " .. family)
  end
end)

test("every registered function refuses a wrong argument count", function()
  local checked = 0
  for name, fn in pairs(T) do
    if not quiet[name] then
      for _, n in ipairs(refused_counts(contract[name].counts)) do
        raises("param count error !", fn, table.unpack({}, 1, n))
        checked = checked + 1
      end
    end
  end
  ok(checked >= 60, "counts checked: " .. checked)
end)
