// A whole session as a host script runs it: a new database, the login dialog driven by the script,
// the permissions read, an operator added through the management window, logout and termination.

const TopPassword = "KWB_Merlato";

function loginByLevelWithTopPassword(login) {
    Test.whenDialog("zav::Frm_Login", function (dialog) {
        Test.compare(dialog.child("Cbo_Login").count, 1, "levels offered below the logout level");
        dialog.child("Text1").text = TopPassword;
        dialog.child("Cmd_Ok").click();
    });
    return login.LoginByLevel();
}

function addOperatorThroughTheWindow(level, name) {
    Test.whenDialog("zav::manage::Frm_Manage", function (window) {
        const levels = window.child("Lv_Level");
        Test.verify(Test.itemTexts(levels).indexOf("Operator") >= 0, "level 1 listed in the window");
        Test.selectItem(levels, "Operator");
        Test.whenDialog("zav::manage::Frm_Name", function (names) {
            names.child("Text1").text = name;
            names.child("Cmd_Ok").click();
        });
        window.widget.OpAdd_Click();
        Test.compare(Test.itemTexts(window.child("LV_Operator")), [name], "operators of level 1");
        window.child("Cmd_Ok").click();
    });
    return level.ShowStructure();
}

function testFullSession() {
    const login = ZAV.create();
    Test.compare(login.AutoShutDown, true, "AutoShutDown of a new component");
    Test.compare(login.IsTouchScreen, false, "IsTouchScreen of a new component");
    Test.compare(login.DbPath, "", "DbPath of a new component");
    login.AutoShutDown = false;

    // The rights the built-in level 1 receives when the database is made.
    const rights = ZAV.createLevelEnable();
    rights.AllowManageOperator = true;
    rights.setAllowCustom(5, true);
    login.cRespEnable = rights;
    Test.verify(login.cRespEnable === rights, "cRespEnable holds the object that was set");

    login.DbPath = Test.dbPath();
    Test.compare(login.cRespEnable, null, "cRespEnable after DbPath");
    Test.compare(login.HaveLevels(), true, "HaveLevels of a new database");
    Test.compare(login.HaveOperators(), false, "HaveOperators of a new database");

    // A third level, so that level 1 is offered in the login list.
    Test.addLevel(2, "Guest", null, false);
    Test.clearShell();
    Test.compare(login.Logout(), true, "Logout");
    const level = login.CurrentLevel;
    Test.compare(level.ID, 2, "logout level");
    Test.compare(level.LevelName, "Guest", "logout level name");
    Test.compare(level.CanHavePassword, false, "CanHavePassword of the logout level");
    Test.compare(login.IsLogoutLevel, true, "IsLogoutLevel after Logout");
    Test.compare(Test.shellCalls(), ["HideShell"], "the guest level may not see the desktop");

    // Nothing selected and the top password typed: the last entry fails, level 0 takes over.
    Test.compare(loginByLevelWithTopPassword(login), true, "LoginByLevel with the top password");
    Test.verify(login.CurrentLevel === level, "the level object is rewritten in place");
    Test.compare(level.ID, 0, "level after the top-password login");
    Test.compare(level.LevelName, "Administrator", "name of level 0");
    Test.compare(level.DBLevelName, "|0", "stored name of level 0");
    Test.compare(level.CanHavePassword, true, "CanHavePassword after a login");
    Test.compare(login.IsLogoutLevel, false, "IsLogoutLevel at level 0");
    const top = level.cLevelEnable;
    Test.compare([top.AllowManageLevel, top.AllowManageOperator, top.DisShutDown, top.AllowDesktop],
                 [true, true, true, true], "fixed rights of level 0");
    Test.compare(top.AllowCustom(100), true, "custom right 100 of level 0");

    Test.compare(addOperatorThroughTheWindow(level, "anna"), false, "ShowStructure");
    Test.compare(login.HaveOperators(), true, "HaveOperators after adding one");
    Test.compare(Test.count("Select * from Operators where Name = 'anna' and ID = 1"), 1, "stored operator");

    Test.whenDialog("zav::Frm_Login", function (dialog) {
        const names = dialog.child("Cbo_Login");
        Test.compare(names.count, 1, "operators offered");
        names.currentIndex = 0;
        dialog.child("Cmd_Ok").click();
    });
    Test.compare(login.LoginByOperator(), true, "LoginByOperator");
    const anna = login.CurrentOperator;
    Test.compare(anna.OperatorName, "anna", "current operator");
    Test.verify(anna.cLevel === login.CurrentLevel, "the operator's level is the current level");
    Test.compare(login.CurrentLevel.ID, 1, "level of the operator");
    const granted = login.CurrentLevel.cLevelEnable;
    Test.compare([granted.AllowManageLevel, granted.AllowManageOperator, granted.AllowDesktop],
                 [false, true, false], "fixed rights given through cRespEnable");
    Test.compare([granted.AllowCustom(5), granted.AllowCustom(6)], [true, false], "custom rights of level 1");

    Test.compare(login.Logout(), true, "second Logout");
    Test.verify(login.CurrentLevel !== level, "logout makes a new level object");
    Test.compare(login.CurrentLevel.ID, 2, "level after the second logout");
    Test.compare(level.ID, 1, "an old level object keeps its values");
    Test.compare(login.CurrentOperator.OperatorName, undefined, "operator after logout");

    Test.clearShell();
    Test.compare(login.Terminate(), undefined, "Terminate's result");
    Test.compare(Test.shellCalls(), ["ShowShell"], "termination without automatic shut-down");
    ZAV.release(login);
    Test.compare(Test.shellCalls(), ["ShowShell"], "release after Terminate");
    Test.compare(Test.messages(), [], "message boxes of the session");
}
