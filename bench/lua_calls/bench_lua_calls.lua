-- Per-call cost of module functions against the obvious script baseline,
-- measured in the same run and printed as ratios (module / baseline).
local T = require "TARVO"

local function time(rounds, fn)
  local start = os.clock()
  for _ = 1, rounds do fn() end
  return os.clock() - start
end

-- Also prints the line scripts/bench.sh gathers (bench/README.md): BENCH, label, ratio, goal ("-": none).
local function compare(label, rounds, module_call, baseline, goal)
  time(rounds // 10, module_call)  -- warm up
  time(rounds // 10, baseline)
  local m, b = time(rounds, module_call), time(rounds, baseline)
  print(string.format("%-52s %6.2f  (%.0f ns vs %.0f ns per call)", label, m / b, m / rounds * 1e9, b / rounds * 1e9))
  print(string.format("BENCH\t%s\t%.3f\t%s", label, m / b, goal and string.format("%.3f", goal) or "-"))
end

print("ratio = module time / baseline time")
compare("register read T.iRet() vs C function math.type(1)", 2000000,
        function() return T.iRet() end, function() return math.type(1) end)
compare("T.Trim (UTF-16 round trip) vs string.match trim", 300000,
        function() return T.Trim("   some padded text   ", " ") end,
        function() return ("   some padded text   "):match("^ *(.-) *$") end)
compare("T.SplitText (list via BasicLib) vs gmatch loop", 200000,
        function() return T.SplitText("alpha,beta,gamma,delta,epsilon", ",") end,
        function()
          local t = {}
          for piece in ("alpha,beta,gamma,delta,epsilon"):gmatch("[^,]+") do t[#t + 1] = piece end
          return t
        end)
compare("T.Replace vs string.gsub (plain)", 300000,
        function() return T.Replace("the cat sat on the mat", "at", "og") end,
        function() return (("the cat sat on the mat"):gsub("at", "og")) end)
