-- The COM script functions against the test automation server (registered
-- by the test set-up), in-process and across the process boundary.
local T = require "TARVO"
local create = assert(package.loadlib(T.AppPath() .. "tarvo_com_probe.dll", "tarvo_com_probe_create"))

for _, progid in ipairs({"TarvoTest.Application", "TarvoTest.LocalApplication"}) do
  local function with_app(name, fn)
    test(progid .. ": " .. name, function()
      local app = create(progid)
      ok(app ~= 0, "the test server is registered")
      local baseline = T.COM_GetW(3, app, ".LiveObjects")
      local success, err = pcall(fn, app)
      eq(T.COM_GetW(3, app, ".LiveObjects"), baseline, "live objects after the test")
      T.COM_CallW(app, ".Quit()")
      T.COM_Release(app)
      if not success then error(err, 0) end
    end)
  end

  with_app("texts, objects and integers", function(app)
    eq(T.COM_GetW(1, app, ".Name"), "Tarvo Test Application")
    local books = T.COM_GetW(2, app, ".Workbooks")
    ok(books ~= 0, "an object handle")
    eq(T.COM_GetW(3, books, ".Count"), 1)
    T.COM_Release(books)
    eq(T.COM_GetW(3, app, ".Workbooks.Count"), 1)
    eq(T.COM_GetW(3, app, ".Number"), 42)
  end)

  with_app("failures give the documented empty values", function(app)
    eq(T.COM_GetW(1, 0, ".Name") .. T.COM_GetW(1, app, ".Bogus"), "")
    eq(T.COM_GetW(2, app, ".Nothing") + T.COM_GetW(3, app, ".Bogus"), 0)
    eq(T.COM_CallW(app, ".Bogus()") or T.COM_PutW(app, ".Name = %S", "x"), false)
  end)

  with_app("calls and puts with values for the conversions", function(app)
    eq(T.COM_CallW(app, ".Quit()", 1, 2), true)  -- surplus values are not read
    eq(T.COM_PutW(app, ".Text = %S", "中文"), true)
    eq(T.COM_GetW(1, app, ".Text"), "中文")
    eq(T.COM_PutW(app, ".Int = %d", -7), true)
    eq(T.COM_GetW(3, app, ".Int"), -7)
    eq(T.COM_GetW(1, app, ".Describe(%d, %e, %b, %S, %m, %u)", 5, 2.5, true, "x", 9),
       "I4:5|R8:2.5|BOOL:-1|BSTR:x|-|UI4:9")
    eq(T.COM_GetW(1, app, ".Workbooks(%d).Sheets(%d).Name", 1, 2), "Sheet2")
    eq(T.COM_PutW(app, ".Workbooks(%d).Sheets(%d).Cells(%d, %d).Value = %S", 1, 1, 2, 3, "cell"), true)
    eq(T.COM_GetW(1, app, ".Workbooks(%d).Sheets(%d).Cells(%d, %d).Value", 1, 1, 2, 3), "cell")
    -- Literal arguments are decoration: "Workbooks(1)" is the collection itself.
    eq(T.COM_GetW(1, app, ".Workbooks(1).Sheets(1).Name"), "")
    local node = T.COM_GetW(2, app, ".NewNode(%S)", "n")
    eq(T.COM_GetW(1, app, ".Describe(%o)", node), "DISPATCH")
    T.COM_Release(node)
  end)

  with_app("a conversion without a usable value is refused", function(app)
    eq(T.COM_PutW(app, ".Int = %d"), false)            -- missing
    eq(T.COM_PutW(app, ".Int = %d", "seven"), false)   -- not an integer
    eq(T.COM_PutW(app, ".Text = %S", 5), false)        -- not a string
    eq(T.COM_CallW(app, ".Describe(%v)", 1), false)    -- no raw pointers from scripts
    eq(T.COM_GetW(3, app, ".Sum(%d, %d)", 1), 0)
    eq(T.COM_GetW(3, app, ".Sum(%d, %d)", 1, 2), 3)
  end)
end

test("argument counts; a refused COM_ShowError leaves the error display off", function()
  for _, call in ipairs({{T.COM_ShowError, 1}, {T.COM_HideError, 1}, {T.COM_Release}, {T.COM_Release, 1, 2},
                         {T.COM_CallW, 1}, {T.COM_PutW, 1}, {T.COM_GetW, 1, 2}}) do
    raises("param count error !", table.unpack(call))
  end
  T.COM_Release(0)
  -- With the switch on, the failure below would wait for a message box nobody closes.
  eq(T.COM_GetW(1, 0, ".Name"), "")
  T.COM_ShowError()
  T.COM_HideError()
  eq(T.COM_GetW(3, 0, ".Name"), 0)
end)
