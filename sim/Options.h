// tqx-sim's command line.
#pragma once

#include "sim/Snmprec.h"

#include <string>
#include <vector>

namespace tqxsim {

struct UserSpec {
    std::string name;
    int level = 1; // least level accepted: 1 noAuthNoPriv, 2 authNoPriv, 3 authPriv
    std::string authProtocol, authPassword, privProtocol, privPassword;
    bool readOnly = false;
};

struct Options {
    std::string model;
    std::string listen;
    std::vector<std::string> dataFiles;
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
    std::vector<UserSpec> users;
    double drop = 0;
    unsigned long long seed = 1;
    int delayMs = 0;
    int rebootMs = 1000;
    int trapPort = 162;
    bool logRequests = false;
    bool dynamics = false;
    bool verbose = false;
    bool help = false;
    std::string controlPath;
    std::vector<Oid> writable;
    int tftpPort = 69;
    int tftpTries = 300;
    std::string writeFirmware; // write a firmware image to this file and exit
    std::string firmwareVersion = "1.0.1";
};

// Parses the arguments after the program name. False with *error set for bad input.
bool ParseOptions(const std::vector<std::string>& args, Options* out, std::string* error);
// NAME:LEVEL[:AUTHPROTO:AUTHPASS[:PRIVPROTO:PRIVPASS]]
bool ParseUserSpec(const std::string& text, UserSpec* out, std::string* error);
const char* UsageText();

} // namespace tqxsim
