-- Processes and windows: start a program, find its window, read and move
-- it, close it, and make sure no copy is left running.
--   ./scripts/run.sh examples/processes_and_windows.lua
local T = require "TARVO"

-- Chain runs a command and waits for its exit code.
print("exit code of 'cmd /c exit 3': " .. T.Chain("cmd /c exit 3", 0))

-- Run starts a program and gives its process handle (5: shown normally).
local process = T.Run("notepad.exe", 5)
assert(process ~= 0, "notepad did not start")

-- Wait until its main window is there: a visible window whose title and
-- class contain the texts. Chain of a short command is the pause.
local window = 0
for _ = 1, 200 do
  window = T.Window_EasyFind("Notepad", "Notepad")
  if window ~= 0 then break end
  T.Chain("cmd /c exit 0", 0)
end
assert(window ~= 0, "no Notepad window appeared")

print("title: " .. T.Window_GetTitle(window))
print("class: " .. T.Window_GetClass(window))
print("top-level: " .. tostring(T.Window_GetRoot(window) == window))
print("answering: " .. tostring(not T.Window_IsHung(window)))
print("process id known: " .. tostring(T.Window_GetPID(window) > 0))

-- The same window through the full filter: exact class (0x40000), any title.
print("found by class: " .. tostring(T.Window_Find(0x40000, "", "Notepad") == window))

-- Its edit field is a child window.
local edit = T.Window_FindChild(window, 0x40000, "", "Edit", 0, 0)
T.Window_Send(edit, 0x000C, 0, "typed by tarvo")  -- WM_SETTEXT
print("edit field text: " .. T.Window_GetTitle(edit))

print("moved: " .. tostring(T.Window_Move(window, 40, 30)) .. ", resized: " .. tostring(T.Window_SetSize(window, 640, 480)))

-- Close it as a user would; WM_SETTEXT left the text unmodified, so
-- Notepad asks nothing.
T.Window_Close(window)
for _ = 1, 200 do
  if T.Window_EasyFind("Notepad", "Notepad") == 0 then break end
  T.Chain("cmd /c exit 0", 0)
end
print("window gone: " .. tostring(T.Window_EasyFind("Notepad", "Notepad") == 0))

-- Make sure no copy is left running (true when one had to be ended).
T.Process_KillName("notepad.exe")
