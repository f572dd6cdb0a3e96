-- A SAP GUI transaction through SAP GUI Scripting: open a connection, start
-- a transaction with the OK code field, press Enter and read the screen.
--   ./scripts/run.sh examples/sap_transaction.lua
local T = require "TARVO"

-- SAP_GetObject attaches to a running SAP Logon; SAP_Create makes a
-- scripting engine of its own.
local engine = T.SAP_GetObject()
if engine == 0 then engine = T.SAP_Create() end
assert(engine ~= 0, "SAP GUI scripting is not available")

local connection = T.SAP_OpenConnect(engine, "PRD - Production")
local session = T.SAP_Children(connection, 0)
print("connected: " .. tostring(connection ~= 0 and session ~= 0))
print("main window: " .. T.SAP_GetText(session, "wnd[0]"))

-- Start the transaction: its code in the OK code field, then Enter (virtual key 0).
print("OK code field present: " .. tostring(T.SAP_Exists(session, "wnd[0]/tbar[0]/okcd")))
T.SAP_SetText(session, "wnd[0]/tbar[0]/okcd", "/nVA03")
print("OK code entered: " .. T.SAP_GetText(session, "wnd[0]/tbar[0]/okcd"))
print("Enter pressed: " .. tostring(T.SAP_SendKey(session, "wnd[0]", 0)))

-- sendCommand does the same in one call.
print("command sent: " .. tostring(T.SAP_SendCMD(session, "/nSE16")))

-- An element that is not on the screen: false, and nothing is raised.
print("field that is not there: " .. tostring(T.SAP_Exists(session, "wnd[0]/usr/txtNOPE")))
print("its text: \"" .. T.SAP_GetText(session, "wnd[0]/usr/txtNOPE") .. "\"")

T.COM_Release(session)
T.SAP_CloseConnect(connection)
T.COM_Release(connection)
T.COM_Release(engine)
print("done")
