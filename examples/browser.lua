-- A browser page driven from a script: start the companion browser, open a
-- page, read it back, run a script in it, look for an element, and close.
local T = require "TARVO"

-- Surfpod.exe normally sits beside the host program (Surfpod_Setup() with no
-- folder); this repository's stand-in browser lives in the surfpod folder
-- beside the script engine.
assert(T.Surfpod_Setup(T.AppPath() .. "surfpod"), "Surfpod.exe was not found")
local browser = T.Surfpod_Create()
assert(browser ~= 0, "the browser did not start")

T.Surfpod_GoURL(browser, "http://shop.example/search?q=tea")
print("title: " .. T.Surfpod_GetWebTitle(browser))
print("url:   " .. T.Surfpod_GetURL(browser))

-- Back to where the browser started, and forward again.
T.Surfpod_GoBack(browser)
print("back:  " .. T.Surfpod_GetURL(browser))
T.Surfpod_GoForward(browser)

-- Scripts in the page hand their value back through xSurfpod_RetVal.
print("script: " .. T.Surfpod_RunJS(browser, "xSurfpod_RetVal=Grüner Tee"))

-- The web view and the page, and where the page is scrolled.
T.Surfpod_SetWebSize(browser, 1024, 700)
local _, width, height = T.Surfpod_GetWebSize(browser)
print(string.format("view: %d x %d", width, height))
T.Surfpod_SetScroll(browser, 0, 400)
local _, x, y = T.Surfpod_GetScroll(browser)
print(string.format("scrolled to: %d, %d", x, y))

-- An element that the page does not have.
print("has a basket: " .. T.Surfpod_Element_IsExists(browser, "//div[@id='basket']"))
print("links: " .. T.Surfpod_Element_GetCount(browser, "//a[@class='offer']"))

print("closed: " .. T.Surfpod_Close(browser))
