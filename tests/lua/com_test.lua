-- COM script functions on the test server, in and out of process: conversions take the further arguments.
local create = assert(package.loadlib(T.AppPath() .. "tarvo_com_probe.dll", "tarvo_com_probe_create"))

for _, progid in ipairs({"TarvoTest.Application", "TarvoTest.LocalApplication"}) do
  test(progid, function()
    local app = create(progid)
    ok(app ~= 0, "the test server is registered")
    local baseline = T.COM_GetW(3, app, ".LiveObjects")
    finally(function()
      T.COM_CallW(app, ".Quit()")
      T.COM_Release(app)
    end, function()
      -- Failures give the empty value of each kind.
      eq(T.COM_GetW(1, 0, ".Name") .. T.COM_GetW(1, app, ".Bogus"), "")
      eq(T.COM_GetW(2, app, ".Nothing") + T.COM_GetW(3, app, ".Bogus"), 0)
      eq(T.COM_CallW(app, ".Bogus()") or T.COM_PutW(app, ".Name = %S", "x"), false)
      eq(T.COM_CallW(app, ".Quit()", 1, 2), true)  -- surplus values are not read
      eq(T.COM_PutW(app, ".Text = %S", "中文") and T.COM_PutW(app, ".Int = %d", -7), true)
      eq(T.COM_GetW(1, app, ".Text") .. T.COM_GetW(3, app, ".Int"), "中文-7")
      eq(T.COM_GetW(1, app, ".Describe(%d, %e, %b, %S, %m, %u)", 5, 2.5, true, "x", 9),
         "I4:5|R8:2.5|BOOL:-1|BSTR:x|-|UI4:9")
      eq(T.COM_PutW(app, ".Workbooks(%d).Sheets(%d).Cells(%d, %d).Value = %S", 1, 1, 2, 3, "cell"), true)
      eq(T.COM_GetW(1, app, ".Workbooks(%d).Sheets(%d).Cells(%d, %d).Value", 1, 1, 2, 3), "cell")
      local node = T.COM_GetW(2, app, ".NewNode(%S)", "n")
      eq(T.COM_GetW(1, app, ".Describe(%o)", node), "DISPATCH")
      T.COM_Release(node)
      -- A conversion without a usable value (missing, of another type, a raw pointer) is refused.
      eq(T.COM_PutW(app, ".Int = %d") or T.COM_PutW(app, ".Int = %d", "seven"), false)
      eq(T.COM_PutW(app, ".Text = %S", 5) or T.COM_CallW(app, ".Describe(%v)", 1), false)
      eq(T.COM_GetW(3, app, ".Sum(%d, %d)", 1) .. T.COM_GetW(3, app, ".Sum(%d, %d)", 1, 2), "03")
      eq(T.COM_GetW(3, app, ".LiveObjects"), baseline, "live objects after the test")
    end)
  end)
end

test("a refused COM_ShowError leaves the error display off", function()
  ok(not pcall(T.COM_ShowError, 1), "COM_ShowError refuses an argument")
  -- With the display on, this failure would wait for a message box nobody closes.
  eq(T.COM_GetW(1, 0, ".Name"), "")
end)
