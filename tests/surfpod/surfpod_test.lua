-- The companion browser from scripts against the stand-in: UTF-8 texts in and out (the channel carries the
-- ANSI code page), the values the functions return and what the stand-in saw.

local standin = T.AppPath() .. "surfpod\\Surfpod.exe"

-- A folder with a copy of the stand-in, set up, and a started browser; ended whatever happens.
local function with_browser(fn)
  with_temp_dir(function(dir)
    dir = dir .. "\\Surf pod\\"
    os.execute('mkdir "' .. dir .. '"')
    os.execute('copy /y "' .. standin .. '" "' .. dir .. '" >nul')
    assert(io.open(dir .. "standin.txt", "w")):close()  -- the stand-in keeps its journal
    eq(T.Surfpod_Setup(dir), true, "set-up")
    local h = T.Surfpod_Create()
    ok(h ~= 0, "a browser started")
    finally(function() T.Surfpod_CloseAll(); os.execute("ping -n 2 127.0.0.1 >nul") end, fn, h, dir)
  end)
end

local function journal(dir)
  local lines, f = {}, io.open(dir .. "journal.txt", "rb")
  if f then
    for line in f:lines() do
      if not line:find("^start ") and not line:find("^0x1400 ") then lines[#lines + 1] = line end
    end
    f:close()
    os.remove(dir .. "journal.txt")
  end
  return table.concat(lines, "|")
end

local function main() return T.Window_Find(0x40000, "", "ThunderRT6FormDC") end
-- Control lines go to the stand-in's web view as its text (fields separated by tabs).
local function control(line)
  T.Window_Send(T.Window_FindChild(main(), 0x40000, "", "SurfpodStandinView"), 12, 0, line)
end
-- A text as the channel carries it (the ANSI code page).
local function ansi(text) return (text:gsub("é", "\xe9")) end

local function all(...)
  local out = {}
  for i = 1, select("#", ...) do out[i] = tostring((select(i, ...))) end
  return table.concat(out, " ")
end

local rect = "mx_rect = {$var}.getBoundingClientRect();xSurfpod_RetVal = mx_rect.left.toString() + ',' + " ..
  "mx_rect.top.toString() + ',' + mx_rect.right.toString() + ',' + mx_rect.bottom.toString();"
-- Element commands as journaled; the path is "//é" unless given.
local function put(tpl, v, v2, path)
  return string.format("0x4402 0 0 D1=%s D2=%s D3=%s D4=%s", path or "//\xe9", tpl, v or "", v2 or "")
end
local function get(tpl, v, path) return put(tpl, v, nil, path):gsub("^0x4402 0", "0x4402 1") .. "|read D2" end
local function ret(property) return "xSurfpod_RetVal={$var}." .. property .. ";" end
local function set(property) return "{$var}." .. property .. "='{$val}';" end
-- A command without arguments that answers 1 or a text; a property of the element "//é" read and written.
local function plain(name, message) return {name, {}, "1", message .. " 0 0"} end
local function read(name, message, v) return {name, {}, v, message .. " 0 0|read D1"} end
local function getter(name, property, v) return {"Element_Get" .. name, {"//é"}, v, get(ret(property))} end
local function setter(name, property, v) return {"Element_Set" .. name, {"//é", v}, "0", put(set(property), v)} end

-- Every function on one browser: each kind first (texts in and out, several results, defaults, truth values, nil
-- texts), then the rest, last those that let browsers go. {function, arguments (or a call of the handle and the
-- state), result, journal lines joined by "|" (an "é" travels as its ANSI byte), setup lines}
local function rows(dir)
  local file = dir .. "café.png"
  local sent = (file:gsub("é", "\xe9")):gsub("\\", "\\\\")  -- as the journal writes it
  return {
    {"SetTitle", {"Café"}, "1", "WM_SETTEXT Caf\xe9"}, {"GetTitle", {}, "Café", ""},
    {"GetScroll", {}, "1 10 20", "0x1611 0 0|0x1612 0 0", {"page\tscroll\t10,20"}},
    {"LoadPage", {"http://b/", "<p>é</p>", 3, 4}, "7", "0x2400 3 4 D2=http://b/ D1=<p>\xe9</p>", {"answer\t0x2400\t7"}},
    {"GetHTML", {}, "<p>é</p>", "0x2510 0 0|read D1"},
    {"RunJS", {"xSurfpod_RetVal=é"}, "é", "0x2600 1 0 D1=xSurfpod_RetVal=\xe9|read D2"},
    {"RunJS", {"xSurfpod_RetVal=1", 0, 1}, "1", "0x2600 0 0 D1=xSurfpod_RetVal=1|read D2"},
    {"RunJS", function(h) return math.type(T.Surfpod_RunJS(h, "document.title", 1, 0)) end, "integer",
      "0x2600 1 0 D1=document.title"},
    {"ScreenShot", {5, -6, 300, 200, file}, "1", "0x3600 393210 19661000 D1=" .. sent},
    {"SetFrame", {"top", nil, nil, 2, n = 4}, "1", "0x2900 2 0 D1=top D2= D3="},
    {"MXPath_GenPath", {"//é", nil, n = 2}, "0 var mx_v1=mx_find('//é'); mx_v1",
      "0x4400 0 0 D1=//\xe9 D2= D3=|read D4|read D3", {"element\t//é\ttext\tGo é"}},
    {"MXPath_GenEleJS", {"//é", "{$var}={$val}", "é", nil, 1, 2, n = 6}, "0 mx_v1=é mx_v1",
      "0x4401 1 2 D1=//\xe9 D2={$var}={$val} D3=\xe9 D4=|read D4|read D3"},
    {"Element_RunJS", {"//é", "xSurfpod_RetVal={$var}.textContent;", nil, nil, 1, n = 5}, "0 Go é",
      get("xSurfpod_RetVal={$var}.textContent;")},
    {"Element_SetSelectValue", {"//é", "vé"}, "0", put("{$var}.value='{$val}';", "v\xe9")},
    {"Element_GetSelectValue", {"//é"}, "vé", get("xSurfpod_RetVal={$var}.value;")},
    {"Element_SetCheck", {"//é", true}, "0", put("{$var}.checked='{$val}';", "true")},
    {"Element_SetCheck", {"//é", 0}, "0", put("{$var}.checked='{$val}';", "false")},
    {"Element_GetRect", {"//r"}, "0 1 2 3 4", get(rect, nil, "//r"), {"element\t//r\trect\t1,2,3,4"}},
    {"DeamonProc", function() return T.Surfpod_DeamonProc(0) end, "", ""},
    plain("Show", "0x1401"), plain("Hide", "0x1402"), plain("IsHide", "0x1404"),
    {"WaitPage", {"b/", 5, 6}, "1", "0x2401 5 6 D1=b/"}, {"ShowDevTool", {}, "1", "WM_SYSCOMMAND 2002 0"},
    {"SetWinSize", {640, 480}, "1", "0x1500 640 480"}, {"GetWinSize", {}, "1 640 480", ""},
    {"SetWebSize", {700, 500}, "1", "0x1501 700 500"}, {"GetWebSize", {}, "1 700 500", "0x1503 0 0|0x1504 0 0"},
    {"GetPageSize", {}, "1 1000 3000", "0x1613 0 0|0x1614 0 0"}, {"SetScroll", {30, 40}, "1", "0x1610 30 40"},
    {"SetupProxy", {"1.2.3.4:80", "<é>"}, "1", "0x3400 0 0 D1=1.2.3.4:80 D2=<é>"}, plain("ClearProxy", "0x3401"),
    {"SavePage", {file}, "1", "0x2500 0 0 D1=" .. sent}, {"ScreenShotFull", {file}, "1", "0x3601 0 0 D1=" .. sent},
    {"GoURL", {"http://a/é"}, "1", "0x1600 0 0 D1=http://a/é"}, read("GetWebTitle", "0x1620", "title of http://a/é"),
    read("GetURL", "0x2520", "http://a/é"), plain("GoBack", "0x1601"), read("GetLocationURL", "0x2521", "http://b/"),
    plain("GoForward", "0x1602"), read("GetLocationName", "0x2522", "title of http://a/é"), plain("GoHome", "0x1603"),
    plain("Refresh", "0x1604"), plain("Stop", "0x1605"), {"ResetFrame", {}, "1", "0x2900 0 0 D1= D2= D3="},
    {"HttpGet", {"http://c/é"}, "GET http://c/é", "0x2800 0 0 D1=http://c/é|read D4"},
    {"HttpPost", {"http://c/", "a=é"}, "POST http://c/ a=é", "0x2801 0 0 D1=http://c/ D2=a=é|read D4"},
    {"HttpGetFile", {"http://c/", file}, "1", "0x2804 0 0 D1=http://c/ D3=" .. sent},
    {"HttpPostFile", {"http://c/", "é", file}, "1", "0x2805 0 0 D1=http://c/ D2=é D3=" .. sent},
    {"MXPath_GenPath_UseVar", {"//é", "v", "t"}, "0 var v=mx_find('//é');", "0x4400 0 0 D1=//é D2=v D3=t|read D4"},
    {"Element_IsExists", {"//é"}, "1", get("xSurfpod_RetVal=1")}, {"Element_Show", {"//r"}, "1", get(rect, nil, "//r")},
    {"Element_Click", {"//é"}, "0", put("{$var}.click();")},
    {"Element_GetCount", {"//é"}, "1", "0x4400 0 0 D1=//é D2= D3=|read D4|read D3|0x2600 1 0 D1=var mx_v1=" ..
      "mx_find('//é');|0x2600 0 0 D1=if(mx_isnull(mx_v1)){xSurfpod_RetVal=0}else{if(mx_isarr(mx_v1)){" ..
      "xSurfpod_RetVal=mx_v1.length}else{xSurfpod_RetVal=1}}|read D2"},
    setter("Value", "value", "wé"), getter("Value", "value", "wé"),
    setter("OuterHtml", "outerHTML", "<a>é</a>"), getter("OuterHtml", "outerHTML", "<a>é</a>"),
    setter("InnerHtml", "innerHTML", "<b>é</b>"), getter("InnerHtml", "innerHTML", "<b>é</b>"),
    {"Element_SetText", {"//é", "Go\r\né"}, "0", put(set("textContent"), "Go\\r\\né")},
    getter("Text", "textContent", "Go\r\né"), getter("OuterText", "outerText", "Go\r\né"),
    getter("InnerText", "innerText", "Go\r\né"), getter("Check", "checked?1:0", "0"),
    {"Element_SetSelect", {"//é", 1}, "0",
      put("{$var}.options[1].selected = true;if({$var}.onchange){{$var}.onchange()};"), {"element\t//é\toptions\ta,b"}},
    {"Element_SetSelectText", {"//é", "b"}, "0", put("function mx_sellisttext(a,d){var c=false;for(var b=0;" ..
      "b<a.options.length;b++){if(a.options[b].text==d){a.focus();a.options[b].selected=true;if(a.onchange){" ..
      "a.onchange()}a.blur();return true;break}}return false};mx_sellisttext({$var},'{$val}');", "b")},
    {"Element_SetAttribute", {"//é", "href", "/é"}, "0", put("{$var}.setAttribute('{$val}','{$val2}');", "href", "/é")},
    {"Element_GetAttribute", {"//é", "href"}, "/é", get(ret("getAttribute('{$val}')"), "href")},
    {"Element_Remove", {"//é"}, "0", put("{$var}.parentNode.removeChild({$var});")},
    -- "//r" in view is shown after one rectangle read, captured after more and the view's size.
    {"Element_ScreenShot", {"//r", file}, "1", string.rep(get(rect, nil, "//r") .. "|", 2) ..
      "0x1503 0 0|0x1504 0 0|" .. get(rect, nil, "//r") .. "|0x3600 65538 131074 D1=" .. sent},
    {"IsRunning", {}, "1", ""}, {"Release", {}, "1", ""},  -- let go, the browser runs on: bound twice, one handle
    {"Bind", function(_, s) s.h = T.Surfpod_Bind(main()); return T.Surfpod_Bind(main()) == s.h end, "true", ""},
    {"ReleaseAll", function() return T.Surfpod_ReleaseAll() end, "1", ""},
    {"Close", function() return T.Surfpod_Close(T.Surfpod_Bind(main())) end, "1", "0x1403 0 0"},
    {"Create", function(_, s) s.h = T.Surfpod_Create(); return s.h ~= 0 end, "true", ""}, {"ForceClose", {}, "1", ""},
    {"CloseAll", function() T.Surfpod_Create(); return T.Surfpod_CloseAll() end, "1", ""},
    {"Setup", function() return T.Surfpod_Setup(dir) end, "true", ""},
  }
end

test("every function carries its texts and numbers; invalid handles and argument counts", function()
  with_browser(function(h, dir)
    journal(dir)
    local s, covered, n = {h = h}, {}, 0
    for _, row in ipairs(rows(dir)) do
      local name, args, result, lines, setup = table.unpack(row)
      covered["Surfpod_" .. name] = true
      for _, line in ipairs(setup or {}) do control(line) end
      journal(dir)
      local fn = T["Surfpod_" .. name]
      local got = type(args) == "function" and all(args(s.h, s)) or all(fn(s.h, table.unpack(args, 1, args.n or #args)))
      eq(got, result, name)
      eq(journal(dir), ansi(lines), name .. " journal")
      if setup then control("clear") end
    end
    for name in pairs(T) do if name:find("^Surfpod_") then n = n + 1; ok(covered[name], name .. " has a row") end end
    eq(n, 77, "the family's functions")
    ok(not pcall(T.Surfpod_DeamonProc, 0, 1), "two arguments raise")
    ok(not pcall(T.Surfpod_RunJS, h), "one argument raises")
    for _, bad in ipairs({0, h, 12345}) do
      eq(all(T.Surfpod_Show(bad), T.Surfpod_GetTitle(bad), T.Surfpod_GetHTML(bad), T.Surfpod_IsRunning(bad)), "0   0")
      eq(all(T.Surfpod_GetScroll(bad)) .. "|" .. all(T.Surfpod_MXPath_GenPath(bad, "//a", nil)) .. "|" ..
        all(T.Surfpod_Element_GetRect(bad, "//a")), "0 0 0|-65536  |-65536 0 0 0 0")
      eq(all(T.Surfpod_Element_Click(bad, "//a"), T.Surfpod_Element_GetValue(bad, "//a")), "-65536 ")
    end
  end)
end)
