// Releasing a component from a script runs its termination exactly once, whether or not the script
// called Terminate before.

function loggedOutAt(desktop) {
    const login = ZAV.create();
    login.DbPath = Test.dbPath();
    Test.addLevel(2, "Line", null, desktop);
    login.Logout();
    Test.clearShell();
    return login;
}

function exits() {
    return Test.shellCalls().filter(function (call) { return call.indexOf("ExitWindows") === 0; });
}

function testReleaseTerminatesOnce() {
    const login = loggedOutAt(false);
    ZAV.release(login);
    Test.compare(exits(), ["ExitWindows 1"], "release shuts down without asking");
    Test.compare(Test.messages(), [], "no question at a level without the desktop");
    ZAV.release(login);
    Test.compare(exits(), ["ExitWindows 1"], "a second release");
    try {
        login.Logout();
        Test.fail("a released component still answered");
    } catch (e) {
        Test.compare(e.number, 91, "error of a released component");
    }
}

function testTerminateThenReleaseTerminatesOnce() {
    const login = loggedOutAt(false);
    Test.compare(login.Terminate(), undefined, "Terminate");
    Test.compare(exits(), ["ExitWindows 1"], "Terminate shuts down");
    ZAV.release(login);
    Test.compare(exits(), ["ExitWindows 1"], "release after Terminate");
}

function testALevelThatSeesTheDesktopIsAskedFirst() {
    const login = loggedOutAt(true);
    login.DisShutDownDescription = "Switch off";
    ZAV.release(login);
    Test.compare(Test.messages(), ["Switch off?"], "the question");
    Test.compare(exits(), [], "answered No");
}
