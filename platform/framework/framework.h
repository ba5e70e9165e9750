#pragma once
// Everything of the class framework at once.
#include "platform/framework/cstring.h"
#include "platform/framework/runtime_class.h"
#include "platform/framework/message_map.h"
#include "platform/framework/wnd.h"
#include "platform/framework/data_exchange.h"
#include "platform/framework/image_list.h"
#include "platform/framework/list_ctrl.h"
#include "platform/framework/slider_ctrl.h"
#include "platform/framework/property_page.h"
#include "platform/framework/property_sheet.h"
#include "platform/framework/win_app.h"
