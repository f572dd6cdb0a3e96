-- Runs one Lua test file: lunrun --count-allocations harness.lua <file> [args].
-- The file calls test(name, fn) for each case and uses eq, ok and raises.
-- Every test also checks that the library blocks it caused were released.
-- The last line of the output is "N passed, N failed"; a failure makes the
-- exit code 1.
local passed, failed = 0, 0

local function show(v)
  if type(v) == "string" then return string.format("%q", v) end
  return tostring(v)
end

function eq(actual, expected, what)
  if actual ~= expected or math.type(actual) ~= math.type(expected) then
    error(string.format("%s: expected %s, got %s", what or "value", show(expected), show(actual)), 2)
  end
end

function ok(condition, what)
  if not condition then error((what or "condition") .. " does not hold", 2) end
end

-- The call must raise an error whose message contains `message`.
function raises(message, fn, ...)
  local success, err = pcall(fn, ...)
  if success then error("expected the error " .. show(message) .. ", got none", 2) end
  if not tostring(err):find(message, 1, true) then
    error("expected the error " .. show(message) .. ", got " .. show(err), 2)
  end
end

local function live_blocks()
  return LiveLibraryBlocks and LiveLibraryBlocks() or 0
end

function test(name, fn)
  local before = live_blocks()
  local success, err = xpcall(fn, debug.traceback)
  local leaked = live_blocks() - before
  if success and leaked ~= 0 then
    success, err = false, leaked .. " library block(s) not released"
  end
  if success then
    passed = passed + 1
  else
    failed = failed + 1
    print("FAIL " .. name .. ": " .. tostring(err))
  end
end

-- Polls until done() holds, with a generous deadline; each round starts a
-- short process of our own, which is the pause between rounds.
function wait_until(done, what)
  local T = require "TARVO"
  local pause = '"' .. T.AppPath() .. 'exit_with.exe" 0'
  local deadline = os.time() + 40
  while not done() do
    if os.time() > deadline then error("never happened: " .. what, 2) end
    T.Chain(pause)
  end
end

-- A fresh folder for the duration of fn, removed with its contents.
function with_temp_dir(fn)
  local dir = string.format("%s\\tarvo_lua_%d_%d", os.getenv("TEMP") or ".", os.time(), math.random(1, 1 << 30))
  os.execute('mkdir "' .. dir .. '"')
  local success, err = pcall(fn, dir)
  os.execute('rmdir /s /q "' .. dir .. '"')
  if not success then error(err, 0) end
end

local file = assert(arg[1], "usage: harness.lua <test file> [arguments]")
local chunk = assert(loadfile(file))
chunk(table.unpack(arg, 2))
print(string.format("%d passed, %d failed", passed, failed))
if failed > 0 then os.exit(1) end
