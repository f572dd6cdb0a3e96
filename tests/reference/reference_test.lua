-- The module's functions against the reference's Lua names (names.tsv is the argument).
local T = require "TARVO"
local path = assert(..., "the path of names.tsv is expected")
local named, faults = {}, {}
for line in io.lines(path) do
  local kind, name = line:match("^(%w+)\t([^\t]+)")
  if kind == "lua" then named[name] = true end
end
local count = 0
for name in pairs(T) do
  count = count + 1
  if not named[name] then faults[#faults + 1] = "not in the reference: " .. name end
end
for name in pairs(named) do
  if T[name] == nil then faults[#faults + 1] = "in the reference but not in the module: " .. name end
end
table.sort(faults)
for _, f in ipairs(faults) do print(f) end
if #faults > 0 then os.exit(1) end
print(count .. " functions match")
