-- The companion browser from scripts: every function against the stand-in, with UTF-8 texts in and out
-- (the channel carries the ANSI code page), the values it returns and what the stand-in saw.

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

-- Control lines go to the stand-in's web view as its text (fields separated by tabs).
local function control(h, line)
  local main = T.Window_Find(0x40000, "", "ThunderRT6FormDC")
  local view = T.Window_FindChild(main, 0x40000, "", "SurfpodStandinView")
  T.Window_Send(view, 12, 0, line)
end

local function all(...)
  local out = {}
  for i = 1, select("#", ...) do out[i] = tostring((select(i, ...))) end
  return table.concat(out, " ")
end

local rect = "mx_rect = {$var}.getBoundingClientRect();xSurfpod_RetVal = mx_rect.left.toString() + ',' + " ..
  "mx_rect.top.toString() + ',' + mx_rect.right.toString() + ',' + mx_rect.bottom.toString();"
local function element(mode, path, tpl, v, v2)
  return string.format("0x4402 %d 0 D1=%s D2=%s D3=%s D4=%s", mode, path, tpl, v or "", v2 or "")
end

-- {name, setup lines, call, result, journal lines joined by "|"}
local function rows(dir)
  local file = dir .. "café.png"
  local sent = (file:gsub("é", "\xe9")):gsub("\\", "\\\\")  -- as the journal writes it
  return {
    {"Show", {}, function(h) return T.Surfpod_Show(h) end, "1", "0x1401 0 0"},
    {"Hide and IsHide", {}, function(h) return all(T.Surfpod_Hide(h), T.Surfpod_IsHide(h)) end, "1 1",
      "0x1402 0 0|0x1404 0 0"},
    {"SetWinSize", {}, function(h) return T.Surfpod_SetWinSize(h, 640, 480) end, "1", "0x1500 640 480"},
    {"GetWinSize", {}, function(h) return all(T.Surfpod_GetWinSize(h)) end, "1 640 480", ""},
    {"SetWebSize", {}, function(h) return T.Surfpod_SetWebSize(h, 700, 500) end, "1", "0x1501 700 500"},
    {"GetWebSize", {}, function(h) return all(T.Surfpod_GetWebSize(h)) end, "1 700 500", "0x1503 0 0|0x1504 0 0"},
    {"GetPageSize", {}, function(h) return all(T.Surfpod_GetPageSize(h)) end, "1 1000 3000", "0x1613 0 0|0x1614 0 0"},
    {"SetScroll", {}, function(h) return T.Surfpod_SetScroll(h, 10, 20) end, "1", "0x1610 10 20"},
    {"GetScroll", {}, function(h) return all(T.Surfpod_GetScroll(h)) end, "1 10 20", "0x1611 0 0|0x1612 0 0"},
    {"SetTitle", {}, function(h) return T.Surfpod_SetTitle(h, "Café") end, "1", "WM_SETTEXT Caf\xe9"},
    {"GetTitle", {}, function(h) return T.Surfpod_GetTitle(h) end, "Café", ""},
    {"SetupProxy", {}, function(h) return T.Surfpod_SetupProxy(h, "p:1", "é") end, "1", "0x3400 0 0 D1=p:1 D2=\xe9"},
    {"ClearProxy", {}, function(h) return T.Surfpod_ClearProxy(h) end, "1", "0x3401 0 0"},
    {"ShowDevTool", {}, function(h) return T.Surfpod_ShowDevTool(h) end, "1", "WM_SYSCOMMAND 2002 0"},
    {"GoURL", {}, function(h) return T.Surfpod_GoURL(h, "http://a.test/é") end, "1", "0x1600 0 0 D1=http://a.test/\xe9"},
    {"GetWebTitle", {}, function(h) return T.Surfpod_GetWebTitle(h) end, "title of http://a.test/é",
      "0x1620 0 0|read D1"},
    {"GetURL", {}, function(h) return T.Surfpod_GetURL(h) end, "http://a.test/é", "0x2520 0 0|read D1"},
    {"GoBack", {}, function(h) return T.Surfpod_GoBack(h) end, "1", "0x1601 0 0"},
    {"GetLocationURL", {}, function(h) return T.Surfpod_GetLocationURL(h) end, "about:blank", "0x2521 0 0|read D1"},
    {"GoForward", {}, function(h) return T.Surfpod_GoForward(h) end, "1", "0x1602 0 0"},
    {"GetLocationName", {}, function(h) return T.Surfpod_GetLocationName(h) end, "title of http://a.test/é",
      "0x2522 0 0|read D1"},
    {"GoHome", {}, function(h) return T.Surfpod_GoHome(h) end, "1", "0x1603 0 0"},
    {"Refresh", {}, function(h) return T.Surfpod_Refresh(h) end, "1", "0x1604 0 0"},
    {"Stop", {}, function(h) return T.Surfpod_Stop(h) end, "1", "0x1605 0 0"},
    {"LoadPage", {"answer\t0x2400\t7"}, function(h) return T.Surfpod_LoadPage(h, "http://b/", "<p>é</p>", 3, 4) end,
      "7", "0x2400 3 4 D2=http://b/ D1=<p>\xe9</p>"},
    {"GetHTML", {}, function(h) return T.Surfpod_GetHTML(h) end, "<p>é</p>", "0x2510 0 0|read D1"},
    {"WaitPage", {}, function(h) return T.Surfpod_WaitPage(h, "b/", 5, 6) end, "1", "0x2401 5 6 D1=b/"},
    {"SavePage", {}, function(h) return T.Surfpod_SavePage(h, file) end, "1", "0x2500 0 0 D1=" .. sent},
    {"RunJS text", {}, function(h) return T.Surfpod_RunJS(h, "xSurfpod_RetVal=é") end, "é",
      "0x2600 1 0 D1=xSurfpod_RetVal=\xe9|read D2"},
    {"RunJS flag", {}, function(h) return T.Surfpod_RunJS(h, "xSurfpod_RetVal=1", 0, 1) end, "1",
      "0x2600 0 0 D1=xSurfpod_RetVal=1|read D2"},
    {"RunJS no result", {}, function(h) return math.type(T.Surfpod_RunJS(h, "document.title", 1, 0)) end, "integer",
      "0x2600 1 0 D1=document.title"},
    {"HttpGet", {}, function(h) return T.Surfpod_HttpGet(h, "http://c/") end, "GET http://c/", "0x2800 0 0 D1=http://c/|read D4"},
    {"HttpPost", {}, function(h) return T.Surfpod_HttpPost(h, "http://c/", "a=é") end, "POST http://c/ a=é",
      "0x2801 0 0 D1=http://c/ D2=a=\xe9|read D4"},
    {"HttpGetFile", {}, function(h) return T.Surfpod_HttpGetFile(h, "http://c/", file) end, "1",
      "0x2804 0 0 D1=http://c/ D3=" .. sent},
    {"HttpPostFile", {}, function(h) return T.Surfpod_HttpPostFile(h, "http://c/", "d", file) end, "1",
      "0x2805 0 0 D1=http://c/ D2=d D3=" .. sent},
    {"ScreenShot", {}, function(h) return T.Surfpod_ScreenShot(h, 5, -6, 300, 200, file) end, "1",
      "0x3600 393210 19661000 D1=" .. sent},
    {"ScreenShotFull", {}, function(h) return T.Surfpod_ScreenShotFull(h, file) end, "1",
      "0x3601 0 0 D1=" .. sent},
    {"SetFrame", {}, function(h) return T.Surfpod_SetFrame(h, "top", nil, nil, 2) end, "1", "0x2900 2 0 D1=top D2= D3="},
    {"ResetFrame", {}, function(h) return T.Surfpod_ResetFrame(h) end, "1", "0x2900 0 0 D1= D2= D3="},
    {"GenPath", {"element\t//é\ttext\tGo é"}, function(h) return all(T.Surfpod_MXPath_GenPath(h, "//é", nil)) end,
      "0 var mx_v1=mx_find('//é'); mx_v1", "0x4400 0 0 D1=//\xe9 D2= D3=|read D4|read D3"},
    {"GenPath_UseVar", {}, function(h) return all(T.Surfpod_MXPath_GenPath_UseVar(h, "//é", "v", "t")) end,
      "0 var v=mx_find('//é');", "0x4400 0 0 D1=//\xe9 D2=v D3=t|read D4"},
    {"GenEleJS", {}, function(h) return all(T.Surfpod_MXPath_GenEleJS(h, "//é", "{$var}={$val}", "é", nil, 1, 2)) end,
      "0 mx_v1=é mx_v1", "0x4401 1 2 D1=//\xe9 D2={$var}={$val} D3=\xe9 D4=|read D4|read D3"},
    {"Element_RunJS", {}, function(h) return all(T.Surfpod_Element_RunJS(h, "//é", "xSurfpod_RetVal={$var}.textContent;", nil, nil, 1)) end,
      "0 Go é", element(1, "//\xe9", "xSurfpod_RetVal={$var}.textContent;") .. "|read D2"},
    {"IsExists", {}, function(h) return T.Surfpod_Element_IsExists(h, "//é") end, "1",
      element(1, "//\xe9", "xSurfpod_RetVal=1") .. "|read D2"},
    {"Click", {}, function(h) return T.Surfpod_Element_Click(h, "//é") end, "0", element(0, "//\xe9", "{$var}.click();")},
    {"SetValue", {}, function(h) return T.Surfpod_Element_SetValue(h, "//é", "vé") end, "0",
      element(0, "//\xe9", "{$var}.value='{$val}';", "v\xe9")},
    {"GetValue", {}, function(h) return T.Surfpod_Element_GetValue(h, "//é") end, "vé",
      element(1, "//\xe9", "xSurfpod_RetVal={$var}.value;") .. "|read D2"},
    {"SetSelectValue", {}, function(h) return T.Surfpod_Element_SetSelectValue(h, "//é", "s") end, "0",
      element(0, "//\xe9", "{$var}.value='{$val}';", "s")},
    {"GetSelectValue", {}, function(h) return T.Surfpod_Element_GetSelectValue(h, "//é") end, "s",
      element(1, "//\xe9", "xSurfpod_RetVal={$var}.value;") .. "|read D2"},
    {"SetOuterHtml", {}, function(h) return T.Surfpod_Element_SetOuterHtml(h, "//é", "<i>") end, "0",
      element(0, "//\xe9", "{$var}.outerHTML='{$val}';", "<i>")},
    {"GetOuterHtml", {}, function(h) return T.Surfpod_Element_GetOuterHtml(h, "//é") end, "<i>",
      element(1, "//\xe9", "xSurfpod_RetVal={$var}.outerHTML;") .. "|read D2"},
    {"SetInnerHtml", {}, function(h) return T.Surfpod_Element_SetInnerHtml(h, "//é", "<b>") end, "0",
      element(0, "//\xe9", "{$var}.innerHTML='{$val}';", "<b>")},
    {"GetInnerHtml", {}, function(h) return T.Surfpod_Element_GetInnerHtml(h, "//é") end, "<b>",
      element(1, "//\xe9", "xSurfpod_RetVal={$var}.innerHTML;") .. "|read D2"},
    {"SetText", {}, function(h) return T.Surfpod_Element_SetText(h, "//é", "té") end, "0",
      element(0, "//\xe9", "{$var}.textContent='{$val}';", "t\xe9")},
    {"GetText", {}, function(h) return T.Surfpod_Element_GetText(h, "//é") end, "té",
      element(1, "//\xe9", "xSurfpod_RetVal={$var}.textContent;") .. "|read D2"},
    {"GetOuterText", {}, function(h) return T.Surfpod_Element_GetOuterText(h, "//é") end, "té",
      element(1, "//\xe9", "xSurfpod_RetVal={$var}.outerText;") .. "|read D2"},
    {"GetInnerText", {}, function(h) return T.Surfpod_Element_GetInnerText(h, "//é") end, "té",
      element(1, "//\xe9", "xSurfpod_RetVal={$var}.innerText;") .. "|read D2"},
    {"SetCheck true", {}, function(h) return T.Surfpod_Element_SetCheck(h, "//é", true) end, "0",
      element(0, "//\xe9", "{$var}.checked='{$val}';", "true")},
    {"GetCheck", {}, function(h) return T.Surfpod_Element_GetCheck(h, "//é") end, "1",
      element(1, "//\xe9", "xSurfpod_RetVal={$var}.checked?1:0;") .. "|read D2"},
    {"SetCheck 0", {}, function(h) return T.Surfpod_Element_SetCheck(h, "//é", 0) end, "0",
      element(0, "//\xe9", "{$var}.checked='{$val}';", "false")},
    {"SetSelect", {"element\t//s\toptions\ta,b,c"}, function(h) return T.Surfpod_Element_SetSelect(h, "//s", 2) end, "0",
      element(0, "//s", "{$var}.options[2].selected = true;if({$var}.onchange){{$var}.onchange()};")},
    {"SetSelectText", {}, function(h) return T.Surfpod_Element_SetSelectText(h, "//s", "b") end, "0",
      element(0, "//s", "function mx_sellisttext(a,d){var c=false;for(var b=0;b<a.options.length;b++){if(a.options[b].text==d){" ..
        "a.focus();a.options[b].selected=true;if(a.onchange){a.onchange()}a.blur();return true;break}}return false};" ..
        "mx_sellisttext({$var},'{$val}');", "b")},
    {"SetAttribute", {}, function(h) return T.Surfpod_Element_SetAttribute(h, "//é", "n", "é") end, "0",
      element(0, "//\xe9", "{$var}.setAttribute('{$val}','{$val2}');", "n", "\xe9")},
    {"GetAttribute", {}, function(h) return T.Surfpod_Element_GetAttribute(h, "//é", "n") end, "é",
      element(1, "//\xe9", "xSurfpod_RetVal={$var}.getAttribute('{$val}');", "n") .. "|read D2"},
    {"GetRect", {"element\t//r\trect\t1,2,3,4"}, function(h) return all(T.Surfpod_Element_GetRect(h, "//r")) end,
      "0 1 2 3 4", element(1, "//r", rect) .. "|read D2"},
    {"GetCount", {}, function(h) return T.Surfpod_Element_GetCount(h, "//s") end, "1",
      "0x4400 0 0 D1=//s D2= D3=|read D4|read D3|0x2600 1 0 D1=var mx_v2=mx_find('//s');|0x2600 0 0 D1=" ..
      "if(mx_isnull(mx_v2)){xSurfpod_RetVal=0}else{if(mx_isarr(mx_v2)){xSurfpod_RetVal=mx_v2.length}else{xSurfpod_RetVal=1}}|read D2"},
    {"Show in view", {"element\t//v\tpos\t20,30,5,5", "page\tscroll\t0,0"}, function(h) return T.Surfpod_Element_Show(h, "//v") end,
      "1", element(1, "//v", rect) .. "|read D2"},
    {"ScreenShot in view", {}, function(h) return T.Surfpod_Element_ScreenShot(h, "//v", "s.png") end, "1",
      element(1, "//v", rect) .. "|read D2|" .. element(1, "//v", rect) .. "|read D2|0x1503 0 0|0x1504 0 0|" ..
      element(1, "//v", rect) .. "|read D2|0x3600 1310750 327685 D1=s.png"},
    {"Remove", {}, function(h) return T.Surfpod_Element_Remove(h, "//s") end, "0",
      element(0, "//s", "{$var}.parentNode.removeChild({$var});")},
    {"DeamonProc", {}, function(h) return all(T.Surfpod_DeamonProc(0)) end, "", ""},
  }
end

test("every function carries its texts and numbers over the channel", function()
  with_browser(function(h, dir)
    journal(dir)
    for _, row in ipairs(rows(dir)) do
      local name, setup, call, result, lines = table.unpack(row)
      for _, line in ipairs(setup) do control(h, line) end
      journal(dir)
      eq(tostring(call(h)), result, name)
      eq(journal(dir), lines, name .. " journal")
      control(h, "clear")
    end
  end)
end)

test("invalid handles, argument counts and the life of a browser", function()
  with_browser(function(h, dir)
    eq(T.Surfpod_Bind(T.Window_Find(0x40000, "", "ThunderRT6FormDC")), h, "the held window binds to its slot")
    eq(T.Surfpod_IsRunning(h), 1)
    eq(T.Surfpod_Release(h), 1)
    for _, bad in ipairs({0, h, 12345}) do
      eq(all(T.Surfpod_Show(bad), T.Surfpod_GetTitle(bad), T.Surfpod_GetHTML(bad), T.Surfpod_IsRunning(bad)), "0   0")
      eq(all(T.Surfpod_GetScroll(bad)), "0 0 0")
      eq(all(T.Surfpod_MXPath_GenPath(bad, "//a", nil)), "-65536  ")
      eq(all(T.Surfpod_Element_GetRect(bad, "//a")), "-65536 0 0 0 0")
      eq(all(T.Surfpod_Element_Click(bad, "//a"), T.Surfpod_Element_GetValue(bad, "//a")), "-65536 ")
    end
    ok(not pcall(T.Surfpod_DeamonProc, 0, 1), "two arguments raise")
    ok(not pcall(T.Surfpod_RunJS, h), "one argument raises")
    local again = T.Surfpod_Bind(T.Window_Find(0x40000, "", "ThunderRT6FormDC"))
    ok(again ~= 0, "a released browser binds again")
    eq(T.Surfpod_Close(again), 1)
  end)
end)
