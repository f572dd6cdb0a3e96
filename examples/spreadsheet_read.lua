-- Fill a workbook through the spreadsheet application, then read its sheet
-- into a Lua table in one call and work with the rows.
--   ./scripts/run.sh examples/spreadsheet_read.lua
local T = require "TARVO"

-- Excel_Create starts the application; WPS_Create would start WPS instead.
local app = T.Excel_Create()
assert(app ~= 0, "no spreadsheet application is registered")
T.Excel_DisplayAlerts(app, false)

local book = T.Excel_NewBook(app)
local sheet = T.Excel_Book_GetSheet_Index(book, 1)
T.Excel_Book_SetSheetName_Index(book, 1, "Orders")

-- A header row and three orders.
local rows = {
  {"Order", "Customer", "Amount"},
  {"A-100", "Müller GmbH", 1250.5},
  {"A-101", "北京贸易", 80},
  {"A-102", "Smith & Co", 432.25},
}
for r, values in ipairs(rows) do
  for c, value in ipairs(values) do
    if type(value) == "number" then
      T.Excel_Sheet_SetCellNumber(sheet, r, c, value)
    else
      T.Excel_Sheet_SetCellText(sheet, r, c, value)
    end
  end
end
print("used range: " .. T.Excel_Sheet_RowCount(sheet) .. " rows x " .. T.Excel_Sheet_ColCount(sheet) .. " columns")

-- The whole sheet in one call: row 1 holds the field names, so every data
-- row is a record keyed by them (key column "A", header row 1, field names).
local result = T.Excel_ReadSheet(book, "Orders", "A", 1, true)
assert(result.Success, result.LastError)
print("read " .. result.RowCount .. " rows of " .. result.ColCount .. " fields: " .. table.concat(result.MapIndex, ", "))
local total = 0
for _, order in ipairs(result.Data) do
  print(string.format("  %-6s %10s  %s", order.Order, order.Amount, order.Customer))
  total = total + tonumber(order.Amount)
end
print(string.format("total amount: %.2f", total))

-- A sheet that does not exist gives a result with Success false.
local missing = T.Excel_ReadSheet(book, "Invoices")
print("reading a missing sheet: " .. tostring(missing.Success) .. ", " .. missing.LastError)

-- Every handle the library gave is ours to release.
T.COM_Release(sheet)
T.Excel_Book_Close(book, false)
T.COM_Release(book)
T.Excel_Quit(app)
T.COM_Release(app)
