#include <ZAV_PrjLogin/ZAV_Login.h>

#include "access/Class_Par.h"
#include "base/Mod_Globali.h"
#include "component/Frm_Login.h"

bool ZAV_Login::LoginByOperator() {
    return login(zav::LoginModeOperator);
}

bool ZAV_Login::LoginByLevel() {
    return login(zav::LoginModeLevel);
}

bool ZAV_Login::login(int loginMode) {
    zav::RequireGuiApplication();
    zav::Class_Par par;
    par.LoginMode = loginMode;
    zav::Frm_Login::Run(par);
    return par.Result;
}
