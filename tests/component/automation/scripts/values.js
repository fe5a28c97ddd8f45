// Values and errors as a script sees them: Booleans, identity, indexed members, the collection filled
// by reference, and automation errors as exceptions with their numbers.

function errorNumber(action) {
    try {
        action();
    } catch (e) {
        Test.verify(e instanceof Error, "an Error object");
        Test.verify(typeof e.description === "string" && e.description.length > 0, "a description");
        return e.number;
    }
    return 0;
}

function testPermissionSetsFromScript() {
    const rights = ZAV.createLevelEnable();
    Test.compare(rights.AllowDesktop, false, "a new right");
    Test.compare(typeof rights.AllowDesktop, "boolean", "Booleans are script Booleans");
    rights.AllowDesktop = true;
    rights.setAllowCustom(100, "True");
    Test.compare([rights.AllowDesktop, rights.AllowCustom(100), rights.AllowCustom(1)], [true, true, false],
                 "rights written");
    Test.compare(errorNumber(function () { rights.AllowCustom(0); }), 9, "index 0");
    Test.compare(errorNumber(function () { rights.setAllowCustom(101, true); }), 9, "index 101");
    Test.compare(errorNumber(function () { rights.AllowCustom(); }), 449, "no index");
    Test.compare(errorNumber(function () { rights.AllowCustom("first"); }), 13, "a word as index");
    const other = ZAV.createObject("ZAV_PrjLogin.Class_LevelEnable");
    Test.verify(other !== rights, "a second permission set");
    Test.compare(errorNumber(function () { ZAV.createObject("Class_Level"); }), 429, "Class_Level is not creatable");
}

function testComponentValuesAndErrors() {
    const login = ZAV.create();
    Test.compare(errorNumber(function () { return login.IsLogoutLevel; }), 91, "IsLogoutLevel before DbPath");
    login.AutoShutDown = false;
    login.DbPath = Test.dbPath();
    Test.verify(login.CurrentLevel === login.CurrentLevel, "one script object per level");
    Test.verify(login.CurrentLevel.cLevelEnable === login.CurrentLevel.cLevelEnable, "and per permission set");
    Test.compare(login.CurrentLevel.LevelName, "Operator", "the logout level of a new database");
    Test.compare(login.EnableDescription(7), "Custom 7", "default caption");
    login.setEnableDescription(7, "Print");
    Test.compare(login.EnableDescription(7), "Print", "stored caption");
    login.EnableCount = "12";
    Test.compare(login.EnableCount, 12, "EnableCount converted");
    Test.compare(errorNumber(function () { login.cRespEnable = 5; }), 424, "a number as an object");
    Test.compare(errorNumber(function () { login.CurrentLevel = login.CurrentOperator; }), 13, "the wrong class");
    Test.compare(errorNumber(function () { login.EnableDescription(40000); }), 6, "an index beyond 16 bits");

    const op = login.CurrentOperator;
    Test.compare(op.ChangePassword(), false, "ChangePassword without an argument on an empty operator");
    Test.compare(op.ChangePassword(true), false, "ChangePassword with the argument");
    op.OperatorName = login.CurrentLevel;
    Test.verify(op.OperatorName === login.CurrentLevel, "OperatorName holds an object");
    op.OperatorName = "bert";
    Test.compare(op.OperatorName, "bert", "OperatorName holds a value again");

    const names = ["dropped"];
    const count = login.cDrvLanguage.EnumLanguages(names);
    Test.compare(count, names.length, "EnumLanguages counts what it wrote");
    Test.verify(names.indexOf("English") >= 0 && names.indexOf("dropped") < 0, "the collection was refilled");

    Test.verify(Test.removeFile(Test.dbPath()), "database removed");
    Test.compare(errorNumber(function () { login.HaveOperators(); }), 3024, "HaveOperators without a file");
}
