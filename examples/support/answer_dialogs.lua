-- The daemon script of examples/dialogs.lua: every cycle, each rule of
-- `closewindow` looks for its window; instead of closing it (the default),
-- OnClose answers it. `zanmod` is the module TARVO in the daemon's state.
option = {delay = 50}

closewindow = {
  -- The message box: press Yes (6).
  {flag = TZ_FULLTITLE + TZ_FULLCLASS, title = "Tarvo example", class = "#32770",
   OnClose = function(box) zanmod.Button_Click(zanmod.Window_GetDlgItem(box, 6)) end},
  -- The input box: type a name into its text field, then press OK (control 10).
  {flag = TZ_FULLTITLE, title = "Tarvo example input",
   OnClose = function(box)
     local field = zanmod.Window_FindChild(box, TZ_FULLCLASS, "", "Edit", 0, 0)
     zanmod.Window_Send(field, 0x000C, 0, "orders-2026-12.xlsx")  -- WM_SETTEXT
     zanmod.Button_Click(zanmod.Window_GetDlgItem(box, 10))
   end},
}
