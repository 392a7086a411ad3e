// A typed character that GBK cannot hold would reach the router as "?" or not at all; the user
// is told which box holds it instead.
#include "ui/gtk/typed_text.h"

#include "core/gbk.h"

namespace routerdesk::gtk {

TypedText readTypedText(const LayoutControls& controls, const Control& control) {
    const Glib::ustring typed = control.entry != nullptr ? control.entry->get_text() : "";
    TypedText result;
    result.gbk = utf8ToGbkExact(typed.raw());
    if (result.gbk) {
        return result;
    }
    Glib::ustring culprit;
    for (const gunichar character : typed) {
        const Glib::ustring one(1, character);
        if (!utf8ToGbkExact(one.raw())) {
            culprit = one;
            break;
        }
    }
    // Sources are UTF-8, and so is GTK: this text never passes through GBK.
    result.refusal = "“" + controls.rowCaptionOf(*control.layout) + "”一栏（" +
                     toUtf8(control.layout->name) + "）里的“" + culprit +
                     "”无法用 GBK 表示，路由器收不到。请改掉后再试。";
    return result;
}

}  // namespace routerdesk::gtk
