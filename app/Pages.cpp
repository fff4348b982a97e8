#include "app/Pages.h"

#include "app/ModuleDlg.h"
#include "pages/device/DeviceConfigDlg.h"
#include "pages/lldp/LldpGlobalDlg.h"
#include "pages/lldp/LldpMedDlg.h"
#include "pages/lldp/LldpRemoteDlg.h"
#include "pages/dot1x/Dot1xGlobalDlg.h"
#include "pages/maint/FirmwareDlg.h"
#include "pages/maint/SyslogHostDlg.h"
#include "pages/mib/ForwardingTableDlg.h"
#include "pages/mib/InterfaceTableDlg.h"
#include "pages/mib/IpTableDlg.h"
#include "pages/mib/SystemInfoDlg.h"
#include "pages/mib/TcpServiceDlg.h"
#include "pages/mib/UdpServiceDlg.h"
#include "pages/poe/PoeConfigDlg.h"
#include "pages/poe/TimeRangeListDlg.h"
#include "pages/port/PortConfigDlg.h"
#include "pages/stp/StpBridgeDlg.h"
#include "pages/snmp/SnmpScalarPages.h"
#include "pages/snmp/SnmpTablePages.h"
#include "pages/surveillance/SurveillanceOuiDlg.h"
#include "pages/surveillance/SurveillanceVlanDlg.h"
#include "pages/traffic/ArpSpoofingDlg.h"
#include "pages/traffic/DhcpScreeningDlg.h"
#include "pages/traffic/JumboFrameDlg.h"
#include "pages/traffic/MulticastFilterDlg.h"
#include "pages/trunk/TrunkConfigDlg.h"
#include "pages/vlan/VlanConfigDlg.h"

namespace {

// Pages are built without a parent, as top-level windows: the main window hides while one runs.
template <class Page>
CModuleDlg::PageFactory Factory()
{
    return [](QWidget*) -> std::unique_ptr<QDialog> { return std::make_unique<Page>(nullptr); };
}

} // namespace

void RegisterModulePages()
{
    CModuleDlg::RegisterPage(CModuleDlg::ID_INTERFACE_TABLE, Factory<CInterfaceTableDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_IP_TABLE, Factory<CIpTableDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SYSTEM_INFO, Factory<CSystemInfoDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_FORWARDING_TABLE, Factory<CForwardingTableDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_TCP_SERVICE, Factory<CTcpServiceDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_UDP_SERVICE, Factory<CUdpServiceDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_VLAN, Factory<CVlanConfigDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_TRUNK, Factory<CTrunkConfigDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_PORT_CONFIG, Factory<CPortConfigDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_POE_PORT_CONFIG, Factory<CPoeConfigDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_TIME_BASED_POE, Factory<CTimeRangeListDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_DEVICE_CONFIGURE, Factory<CDeviceConfigDlg>());
    // The port table and the port page open from the bridge page.
    CModuleDlg::RegisterPage(CModuleDlg::ID_8021D, Factory<CStpBridgeDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_FIRMWARE, Factory<CFirmwareDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SYSLOG_HOST, Factory<CSyslogHostDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SNMP_GLOBAL, Factory<CSnmpGlobalStateDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SNMP_HOST, Factory<CSnmpHostDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SNMP_USER, Factory<CSnmpUserDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SNMP_GROUP, Factory<CSnmpGroupDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SNMP_VIEW, Factory<CSnmpViewDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SNMP_COMMUNITY, Factory<CSnmpCommunityDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SNMP_ENGINE_ID, Factory<CSnmpEngineIdDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SNMP_TRAP, Factory<CSnmpTrapDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_LLDP_GLOBAL, Factory<CLldpGlobalDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_LLDP_REMOTE, Factory<CLldpRemoteDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_LLDP_MED, Factory<CLldpMedDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_JUMBO_FRAME, Factory<CJumboFrameDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_MULTICAST_FILTERING, Factory<CMulticastFilterDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_DHCP_SCREENING, Factory<CDhcpScreeningDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_ARP_SPOOFING, Factory<CArpSpoofingDlg>());
    // The port page opens from the global page.
    CModuleDlg::RegisterPage(CModuleDlg::ID_8021X, Factory<CDot1xGlobalDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SURVEILLANCE_VLAN, Factory<CSurveillanceVlanDlg>());
    CModuleDlg::RegisterPage(CModuleDlg::ID_SURVEILLANCE_OUI, Factory<CSurveillanceOuiDlg>());
    CModuleDlg::RegisterPortPage([](int nPort) -> std::unique_ptr<QDialog> {
        return std::make_unique<CPortConfigDlg>(nullptr, nPort);
    });
}
