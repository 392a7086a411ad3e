// The program's blocking message box: the caption 信息：, the text and one OK button.
#pragma once

#include <gtkmm.h>

namespace routerdesk::gtk {

// Returns when the user has dismissed it; events go on being dispatched meanwhile.
void showMessageDialog(const Glib::ustring& text);

}  // namespace routerdesk::gtk
