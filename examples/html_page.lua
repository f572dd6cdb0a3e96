-- Shows an HTML page with LoadGUI and reads back what the page handed over.
-- Here the engine is the stand-in (tarvo_htmlengine_standin.dll beside the
-- script engine), whose "page" is a list of page calls, one per line
-- (standins/htmlengine/README.md); a real page makes the same calls from its
-- script and a real engine DLL is named instead.
local T = require "TARVO"

local folder = T.Path_Join(os.getenv("TEMP"), T.Path_Random("page_", "", 8))
T.Folder_Create(folder)
local page = T.Path_Join(folder, "index.htm")
local settings = T.Path_Join(folder, "settings.ini")
T.File_WriteAll(page, table.concat({
  "iniWrite\ts:" .. settings .. "\ts:user\ts:name\ts:Ada",  -- the page saves a setting
  "SetRetVal\ts:saved",                                       -- and tells the script how it ended
}, "\n"))

-- Blocks until the page's window is closed; 640 x 480, centred.
local answer = T.LoadGUI(T.AppPath() .. "tarvo_htmlengine_standin.dll", page, 640, 480)
print("the page answered: " .. answer)
print("the setting it saved: " .. T.Ini_Read(settings, "user", "name"))

os.execute('rmdir /s /q "' .. folder .. '"')
