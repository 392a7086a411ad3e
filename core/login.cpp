// The login window's procedure.
#include "core/login.h"

#include <string>
#include <string_view>

#include "core/files.h"
#include "core/settings.h"

namespace routerdesk {
namespace {

// 没有输入 帐号 或 密码
constexpr std::string_view kNothingEntered =
    "\xC3\xBB\xD3\xD0\xCA\xE4\xC8\xEB \xD5\xCA\xBA\xC5 \xBB\xF2 \xC3\xDC\xC2\xEB";
// 第一次配置完毕 如想重新配置 请删除 程序目录下的 无线路由配置.ini 文件即可重新配置
constexpr std::string_view kSaved =
    "\xB5\xDA\xD2\xBB\xB4\xCE\xC5\xE4\xD6\xC3\xCD\xEA\xB1\xCF \xC8\xE7\xCF\xEB\xD6\xD8\xD0\xC2\xC5"
    "\xE4\xD6\xC3 \xC7\xEB\xC9\xBE\xB3\xFD \xB3\xCC\xD0\xF2\xC4\xBF\xC2\xBC\xCF\xC2\xB5\xC4 \xCE"
    "\xDE\xCF\xDF\xC2\xB7\xD3\xC9\xC5\xE4\xD6\xC3.ini \xCE\xC4\xBC\xFE\xBC\xB4\xBF\xC9\xD6\xD8\xD0"
    "\xC2\xC5\xE4\xD6\xC3";
constexpr std::string_view kSaveFailed =
    "\xCE\xDE\xB7\xA8\xB1\xA3\xB4\xE6\xB5\xC7\xC2\xBC\xD0\xC5\xCF\xA2\xA1\xA3";  // 无法保存登录信息。
constexpr std::string_view kFile = "\xCE\xC4\xBC\xFE\xA3\xBA";                   // 文件：
constexpr std::string_view kReason = "\xD4\xAD\xD2\xF2\xA3\xBA";                 // 原因：

}  // namespace

bool confirmLogin(ProgramContext& context, const RouterLogin& typed) {
    Host& host = context.host;
    if (typed.account.empty() || typed.password.empty()) {
        host.showMessage(std::string(kNothingEntered));
        return false;
    }
    const SettingsSaveResult saved = saveLogin(typed, settingsFileOf(context));
    if (!saved.saved) {
        host.showMessage(std::string(kSaveFailed) + "\n" + std::string(kFile) +
                         pathToGbk(saved.path) + "\n" + std::string(kReason) + saved.reason);
        return false;
    }
    host.showMessage(std::string(kSaved));
    loadLogin(context.login, settingsFileOf(context));
    return true;
}

}  // namespace routerdesk
