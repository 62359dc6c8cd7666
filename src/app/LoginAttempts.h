// Wrong codes typed at this workstation: after five in a row the next try waits 30 seconds. The
// count and the end of the wait are kept in the user's settings, so that starting the program
// again does not skip the wait.
#pragma once

class LoginAttempts {
public:
    // Wrong codes in a row before the wait.
    static constexpr int kFreeTries = 5;
    static constexpr int kWaitSeconds = 30;

    // Whole seconds (rounded up) before the next try may be made; 0 when it may be made now. A
    // clock set back never makes the wait longer than kWaitSeconds.
    int secondsToWait();
    // A wrong code: counted; the fifth in a row, and each one after it, starts the wait.
    void noteWrongCode();
    // A right code: the count starts again.
    void noteRightCode();
};
