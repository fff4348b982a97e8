// The switch models the simulator knows: port layout, PoE and fan. The profile generator writes each
// model's objects from this table, and the simulator uses it for the behaviour behind those objects.
#pragma once

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace tqxsim {

struct ModelInfo {
    std::string name;
    int ports = 0;        // front ports, ifIndex 1..ports
    int comboPorts = 0;   // the last comboPorts ports have a copper and a fibre (SFP) connector
    bool allGiga = false; // every port runs 1000M; otherwise only the combo ports do
    int poePorts = 0;     // ports 1..poePorts deliver PoE
    double poeBudgetWatts = 0;
    bool hasFan = false;
    std::string objectIdSuffix; // below 1.3.6.1.4.1.32473.10
    std::string description;
};

inline const std::vector<ModelInfo>& Models()
{
    static const std::vector<ModelInfo> models = {
        {"TQX-8800", 24, 4, false, 0, 0, false, "76.8800",
         "TQX-8800 24-Port 10/100Mbps + 4 Gigabit Combo Managed Switch"},
        {"TQX-8810P", 10, 2, false, 8, 65.0, false, "76.8810",
         "TQX-8810P 8-Port 10/100Mbps PoE + 2 Gigabit Combo Managed Switch"},
        {"TQF-8828P", 28, 4, false, 24, 180.0, false, "76.8828",
         "TQF-8828P 24-Port 10/100Mbps PoE + 4 Gigabit Combo Managed Switch"},
        {"TQX-8816", 16, 4, false, 0, 0, false, "76.8816",
         "TQX-8816 16-Port 10/100Mbps Managed Switch with 4 Gigabit Combo Ports"},
        {"TQX-8848", 48, 4, false, 0, 0, true, "76.8848",
         "TQX-8848 48-Port 10/100Mbps + 4 Gigabit Combo Managed Switch"},
        {"TQX-8852", 52, 4, true, 0, 0, true, "76.8852",
         "TQX-8852 48-Port Gigabit + 4 Gigabit Combo Managed Switch"},
    };
    return models;
}

inline const ModelInfo* FindModel(std::string_view name)
{
    for (const auto& m : Models()) {
        if (m.name.size() == name.size()) {
            bool same = true;
            for (size_t i = 0; i < name.size(); ++i)
                same = same && std::tolower(static_cast<unsigned char>(m.name[i])) ==
                                   std::tolower(static_cast<unsigned char>(name[i]));
            if (same)
                return &m;
        }
    }
    return nullptr;
}

} // namespace tqxsim
