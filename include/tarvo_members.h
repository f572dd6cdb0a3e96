/* Automation members written as rows.
 *
 * Every member of an automation family (Excel, Word, PowerPoint, Outlook,
 * SAP, the desktop-automation object) is one or a few late-bound calls with a
 * fixed member expression. A family lists its members once, as rows of one
 * macro in its public header:
 *
 *   #define XEXCEL_MEMBERS(M) \
 *     M(WA,  Excel_OpenBook, object, L".Workbooks.Open(%S, %d, %b)", Lint, Obj, Text, Fixed(0), FlagOr(0)) \
 *     M(One, Excel_Quit,     call,   L".Quit()",                     Lnone, Obj)
 *
 * and the row is expanded three times: here into the C declarations
 * (XFAMILY_MEMBERS(TARVO_MEMBER_DECLARE) in the header), by
 * disphelper/dispatch_members.hpp into the export bodies (in the family's
 * source), by lua/lua_members.hpp into the Lua function (in lua/<family>.cpp).
 * A new member is one row (and its name in the family's exports.def
 * fragment); what no row can express is a hand-written export or Lua
 * function beside the rows. The fields:
 *
 *   form        One: one export named as the row; WA: a W export (UTF-16
 *               text) and an A export (ANSI text, converted with xCore_A2W,
 *               the same expression, the copies freed after the call); W: the
 *               W export alone.
 *   name        the export name without W/A; also the Lua name.
 *   kind        the C result and failure value:
 *                 create   CreateObject of the expression (a ProgID) -> handle, 0
 *                 attach   GetObject of the running instance       -> handle, 0
 *                 put      PutValue                                 -> 1, 0
 *                 call     CallMethod                               -> 1, 0
 *                 object   GetValue "%o" (new reference)            -> handle, 0
 *                 int      GetValue "%d"                            -> int32_t, 0
 *                 int_as_double  GetValue "%d"                      -> double, 0.0
 *                 number   GetValue "%e"                            -> double, 0.0
 *                 flag     GetValue "%b"                            -> -1 true, 0
 *                 text     GetValue "%S", copied (W: xCore_CopyStringW,
 *                          A: xCore_W2A)   -> library text, EmptyString
 *   expression  a wide literal, or a helper of disphelper/dispatch_members.hpp
 *               for what one expression cannot say (two corners, a position
 *               object, puts in a row, puts on a sub-object); a family may add
 *               helpers of its own there.
 *   lua         what the Lua function pushes: Lbool, Lint, Lnum, Ltext,
 *               Ltrunc (a double cut toward zero), Lnone (nothing), Lint_spare
 *               (an integer; one surplus argument is tolerated), or NoLua (no
 *               Lua function).
 *   arguments   the expression's argument values in order:
 *                 Obj        an automation handle (xComObject); the object the
 *                            expression runs on
 *                 Int        int32_t ("%d"; Lua: low 32 bits of an integer)
 *                 IntOr(v)   the same; Lua default v
 *                 Flag       int32_t ("%b"; Lua: a boolean or a number)
 *                 FlagOr(v)  the same; Lua default v
 *                 Num        double ("%e"; Lua: a number)
 *                 Text       wide or ANSI text ("%S"; Lua: UTF-8)
 *                 Fixed(v)   a constant, not a parameter
 *                 Pos        int32_t position index of the positioned helpers
 *                 Cells      four int32_t: row and column of two corners
 *                 Void       no parameter at all (create and attach)
 *
 * Handles are IDispatch pointers carried as pointer-sized integers; the caller
 * owns the reference a member returns. A family whose handle is something
 * else adds an argument letter that turns it into the object, beside Obj. */
#ifndef TARVO_MEMBERS_H
#define TARVO_MEMBERS_H

#include "tarvo_api.h"

typedef intptr_t xComObject;

#define XM_CAT(a, b) XM_CAT_(a, b)
#define XM_CAT_(a, b) a##b
#define XM_EAT(...)
#define XM_DROP_COMMA(...) XM_DROP_COMMA_(__VA_ARGS__)
#define XM_DROP_COMMA_(empty, ...) __VA_ARGS__

/* XM_MAP(m, e1, e2, ...) is m(1, e1) m(2, e2) ...: up to 14 arguments. */
#define XM_COUNT(...) XM_COUNT_(__VA_ARGS__, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define XM_COUNT_(a, b, c, d, e, f, g, h, i, j, k, l, m, n, count, ...) count
#define XM_MAP(m, ...) XM_CAT(XM_MAP_, XM_COUNT(__VA_ARGS__))(m, __VA_ARGS__)
#define XM_MAP_1(m, a) m(1, a)
#define XM_MAP_2(m, a, b) m(1, a) m(2, b)
#define XM_MAP_3(m, a, b, c) XM_MAP_2(m, a, b) m(3, c)
#define XM_MAP_4(m, a, b, c, d) XM_MAP_3(m, a, b, c) m(4, d)
#define XM_MAP_5(m, a, b, c, d, e) XM_MAP_4(m, a, b, c, d) m(5, e)
#define XM_MAP_6(m, a, b, c, d, e, f) XM_MAP_5(m, a, b, c, d, e) m(6, f)
#define XM_MAP_7(m, a, b, c, d, e, f, g) XM_MAP_6(m, a, b, c, d, e, f) m(7, g)
#define XM_MAP_8(m, a, b, c, d, e, f, g, h) XM_MAP_7(m, a, b, c, d, e, f, g) m(8, h)
#define XM_MAP_9(m, a, b, c, d, e, f, g, h, i) XM_MAP_8(m, a, b, c, d, e, f, g, h) m(9, i)
#define XM_MAP_10(m, a, b, c, d, e, f, g, h, i, j) XM_MAP_9(m, a, b, c, d, e, f, g, h, i) m(10, j)
#define XM_MAP_11(m, a, b, c, d, e, f, g, h, i, j, k) XM_MAP_10(m, a, b, c, d, e, f, g, h, i, j) m(11, k)
#define XM_MAP_12(m, a, b, c, d, e, f, g, h, i, j, k, l) XM_MAP_11(m, a, b, c, d, e, f, g, h, i, j, k) m(12, l)
#define XM_MAP_13(m, a, b, c, d, e, f, g, h, i, j, k, l, n) \
  XM_MAP_12(m, a, b, c, d, e, f, g, h, i, j, k, l) m(13, n)
#define XM_MAP_14(m, a, b, c, d, e, f, g, h, i, j, k, l, n, o) \
  XM_MAP_13(m, a, b, c, d, e, f, g, h, i, j, k, l, n) m(14, o)

/* An argument's parameter declaration, with a leading comma (none for Fixed).
 * An argument written with a value, IntOr(v), expands to the name of a macro
 * that then takes the position. */
#define XM_PARAM_W(n, arg) XM_CAT(XM_PW_, arg)(n)
#define XM_PARAM_A(n, arg) XM_CAT(XM_PA_, arg)(n)
#define XM_PW_Obj(n) , xComObject a##n
#define XM_PW_Int(n) , int32_t a##n
#define XM_PW_IntOr(v) XM_PW_Int
#define XM_PW_Flag(n) , int32_t a##n
#define XM_PW_FlagOr(v) XM_PW_Flag
#define XM_PW_Num(n) , double a##n
#define XM_PW_Text(n) , const wchar_t *a##n
#define XM_PW_Fixed(v) XM_EAT
#define XM_PW_Pos(n) , int32_t a##n
#define XM_PW_Cells(n) , int32_t a##n##r1, int32_t a##n##c1, int32_t a##n##r2, int32_t a##n##c2
#define XM_PW_Void(n) , void
#define XM_PA_Obj XM_PW_Obj
#define XM_PA_Int XM_PW_Int
#define XM_PA_IntOr(v) XM_PW_Int
#define XM_PA_Flag XM_PW_Flag
#define XM_PA_FlagOr(v) XM_PW_Flag
#define XM_PA_Num XM_PW_Num
#define XM_PA_Text(n) , const char *a##n
#define XM_PA_Fixed(v) XM_EAT
#define XM_PA_Pos XM_PW_Pos
#define XM_PA_Cells XM_PW_Cells
#define XM_PA_Void XM_PW_Void

#define XM_PARAMS_W(...) XM_DROP_COMMA(XM_MAP(XM_PARAM_W, __VA_ARGS__))
#define XM_PARAMS_A(...) XM_DROP_COMMA(XM_MAP(XM_PARAM_A, __VA_ARGS__))

/* C result types by kind, W and A form. */
#define XM_RESULT_W(kind) XM_CAT(XM_RW_, kind)
#define XM_RESULT_A(kind) XM_CAT(XM_RA_, kind)
#define XM_RW_create xComObject
#define XM_RW_attach xComObject
#define XM_RW_put int32_t
#define XM_RW_call int32_t
#define XM_RW_object xComObject
#define XM_RW_int int32_t
#define XM_RW_int_as_double double
#define XM_RW_number double
#define XM_RW_flag int32_t
#define XM_RW_text wchar_t *
#define XM_RA_create xComObject
#define XM_RA_attach xComObject
#define XM_RA_put int32_t
#define XM_RA_call int32_t
#define XM_RA_object xComObject
#define XM_RA_int int32_t
#define XM_RA_int_as_double double
#define XM_RA_number double
#define XM_RA_flag int32_t
#define XM_RA_text char *

/* The declarations of one row: XFAMILY_MEMBERS(TARVO_MEMBER_DECLARE). */
#define TARVO_MEMBER_DECLARE(form, name, kind, expression, lua, ...) \
  XM_CAT(XM_DECLARE_, form)(name, kind, __VA_ARGS__)
#define XM_DECLARE_One(name, kind, ...) TARVO_API XM_RESULT_W(kind) name(XM_PARAMS_W(__VA_ARGS__));
#define XM_DECLARE_W(name, kind, ...) TARVO_API XM_RESULT_W(kind) name##W(XM_PARAMS_W(__VA_ARGS__));
#define XM_DECLARE_WA(name, kind, ...)                                   \
  TARVO_API XM_RESULT_W(kind) name##W(XM_PARAMS_W(__VA_ARGS__)); \
  TARVO_API XM_RESULT_A(kind) name##A(XM_PARAMS_A(__VA_ARGS__));

#endif
