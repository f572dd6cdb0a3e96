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

-- Control lines go to the stand-in's web view as its text (fields separated by tabs).
local function control(line)
  local main = T.Window_Find(0x40000, "", "ThunderRT6FormDC")
  T.Window_Send(T.Window_FindChild(main, 0x40000, "", "SurfpodStandinView"), 12, 0, line)
end

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

-- The Lua side of each kind of function (which export each calls is pinned by the reference): texts in and
-- out, several results, defaults, truth values and nil texts.
-- {function, arguments (or a call), result, journal lines joined by "|", setup lines}
local function rows(dir)
  local file = dir .. "café.png"
  local sent = (file:gsub("é", "\xe9")):gsub("\\", "\\\\")  -- as the journal writes it
  return {
    {"SetTitle", {"Café"}, "1", "WM_SETTEXT Caf\xe9"},
    {"GetTitle", {}, "Café", ""},
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
    {"DeamonProc", function() return all(T.Surfpod_DeamonProc(0)) end, "", ""},
  }
end

test("each kind of function carries its texts and numbers; invalid handles and argument counts", function()
  with_browser(function(h, dir)
    journal(dir)
    for _, row in ipairs(rows(dir)) do
      local name, args, result, lines, setup = table.unpack(row)
      for _, line in ipairs(setup or {}) do control(line) end
      journal(dir)
      local fn = T["Surfpod_" .. name]
      local got = type(args) == "function" and args(h) or all(fn(h, table.unpack(args, 1, args.n or #args)))
      eq(got, result, name)
      eq(journal(dir), lines, name .. " journal")
      control("clear")
    end
    ok(not pcall(T.Surfpod_DeamonProc, 0, 1), "two arguments raise")
    ok(not pcall(T.Surfpod_RunJS, h), "one argument raises")
    eq(T.Surfpod_Release(h), 1)
    for _, bad in ipairs({0, h, 12345}) do
      eq(all(T.Surfpod_Show(bad), T.Surfpod_GetTitle(bad), T.Surfpod_GetHTML(bad), T.Surfpod_IsRunning(bad)), "0   0")
      eq(all(T.Surfpod_GetScroll(bad)), "0 0 0")
      eq(all(T.Surfpod_MXPath_GenPath(bad, "//a", nil)), "-65536  ")
      eq(all(T.Surfpod_Element_GetRect(bad, "//a")), "-65536 0 0 0 0")
      eq(all(T.Surfpod_Element_Click(bad, "//a"), T.Surfpod_Element_GetValue(bad, "//a")), "-65536 ")
    end
    eq(T.Surfpod_Close(T.Surfpod_Bind(T.Window_Find(0x40000, "", "ThunderRT6FormDC"))), 1, "bound again and closed")
  end)
end)
