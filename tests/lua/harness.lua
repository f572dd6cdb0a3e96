-- lunrun --count-allocations harness.lua <test file> [args]: the module is T, and every test(name, fn)
-- also fails when library blocks it caused stay unreleased. The summary "N passed, N failed" comes last.
T = require "TARVO"
local passed, failed = 0, 0

function eq(actual, expected, what)
  local function show(v) return type(v) == "string" and string.format("%q", v) or tostring(v) end
  if actual ~= expected or math.type(actual) ~= math.type(expected) then
    error(string.format("%s: expected %s, got %s", what or "value", show(expected), show(actual)), 2)
  end
end

function ok(condition, what)
  if not condition then error((what or "condition") .. " does not hold", 2) end
end

local function live_blocks() return LiveLibraryBlocks and LiveLibraryBlocks() or 0 end

function test(name, fn)
  local before = live_blocks()
  local success, err = xpcall(fn, debug.traceback)
  local leaked = live_blocks() - before
  if success and leaked ~= 0 then success, err = false, leaked .. " library block(s) not released" end
  passed, failed = passed + (success and 1 or 0), failed + (success and 0 or 1)
  if not success then print("FAIL " .. name .. ": " .. tostring(err)) end
end

-- Runs fn(...), then cleanup() whatever happened, and passes fn's error on.
function finally(cleanup, fn, ...)
  local success, err = pcall(fn, ...)
  cleanup()
  if not success then error(err, 0) end
end

-- Polls until done() holds; starting a short process of ours is the pause.
function wait_until(done, what)
  local deadline = os.time() + 40
  while not done() do
    if os.time() > deadline then error("never happened: " .. what, 2) end
    T.Chain('"' .. T.AppPath() .. 'exit_with.exe" 0')
  end
end

function with_temp_dir(fn)
  local dir = string.format("%s\\tarvo_lua_%d_%d", os.getenv("TEMP") or ".", os.time(), math.random(1, 1 << 30))
  os.execute('mkdir "' .. dir .. '"')
  finally(function() os.execute('rmdir /s /q "' .. dir .. '"') end, fn, dir)
end

function window_host(options) T.Run('"' .. T.AppPath() .. 'window_host.exe" ' .. options) end

-- lua.tsv by name: family and argument counts ("exactly n", "a-b", "n+": no high).
function read_contract(path)
  local contract, count = {}, 0
  for line in io.lines(path) do
    local name, family, counts = line:match("^([^\t]+)\t([^\t]+)\t([^\t\r]+)")
    local exact, open = counts:match("^exactly (%d+)$"), counts:match("^(%d+)%+$")
    local low, high = counts:match("^(%d+)-(%d+)$")
    contract[name] = {family = family, low = tonumber(exact or low or open), high = tonumber(exact or high)}
    count = count + 1
  end
  return contract, count
end

assert(loadfile(assert(arg[1], "usage: harness.lua <test file> [arguments]")))(table.unpack(arg, 2))
print(string.format("%d passed, %d failed", passed, failed))
if failed > 0 then os.exit(1) end
