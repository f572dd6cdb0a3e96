-- Dialogs in an unattended run: a daemon script answers them. The message
-- box and the input box block this script until they are answered; the
-- daemon (examples/support/answer_dialogs.lua), running on a thread of its
-- own, finds each one by its title and answers it as a user would.
--   ./scripts/run.sh examples/dialogs.lua
local T = require "TARVO"

local here = arg[0]:match("^(.*[\\/])") or ""
local daemon = T.DaemonThread_Start(here .. "support\\answer_dialogs.lua")
assert(daemon ~= 0, "the daemon did not start")

-- A question with Yes and No (4) and the question icon (32).
local answer = T.MsgBox("Send the monthly report now?", "Tarvo example", 4 + 32)
print("message box answered: " .. (answer == 6 and "Yes" or answer == 7 and "No" or tostring(answer)))

-- The input box gives the text entered, or "" when cancelled.
local name = T.InputBox("Name of the report:", "Tarvo example input", "report.xlsx")
print("input box answered: " .. name .. " (confirmed: " .. tostring(T.iRet() ~= 0) .. ")")

T.DaemonThread_Stop(daemon)
