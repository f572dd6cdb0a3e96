// The SAP GUI scripting family: the exports of the rows in xsap.h.
#include "dispatch_members.hpp"
#include "xsap.h"

XSAP_MEMBERS(TARVO_MEMBER_DEFINE)
