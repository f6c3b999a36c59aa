#pragma once
// The usage text exactly as a user's console receives it, written out by hand.
#include <string_view>

inline constexpr std::string_view kExpectedUsage =
    "Usage: powerctl [/L | /R | /S | /P  | /G | /H | /W | /LOCK | /SWITCHUSER | /?]\r\n"
    "               [/F | /FF]\r\n"
    " \r\n"
    "  /L            Logout\r\n"
    "  /R            Restart\r\n"
    "  /S            Shutdown\r\n"
    "  /P            PowerOff\r\n"
    "  /G            Shuts down, restart OS and start registered applications\r\n"
    "  /F            Force (/L | /R | /S | /P | /G) \r\n"
    "  /FF           Force (/L | /R | /S | /P | /G) \r\n"
    "  /LOCK         Lock workstation\r\n"
    "  /SWITCHUSER   Switch User(XP/Vista)\r\n"
    "  /H            Hibernate\r\n"
    "  /W            Suspend\r\n"
    "  /?            Help\r\n"
    "\r\n"
    "powerctl x86 v1.1 2008\n"
    "Korvane\n"
    "http://www.korvane.example/qubrix\r\n";
