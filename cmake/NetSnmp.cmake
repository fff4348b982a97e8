# net-snmp: the client library (snmp/engine and the interoperation tests) and the agent library (sim).
find_program(NET_SNMP_CONFIG net-snmp-config REQUIRED)
find_library(NETSNMP_LIB netsnmp REQUIRED)
find_library(NETSNMPAGENT_LIB netsnmpagent REQUIRED)
find_library(NETSNMPMIBS_LIB netsnmpmibs REQUIRED)
find_package(OpenSSL REQUIRED)

add_library(NetSnmp::snmp INTERFACE IMPORTED)
target_link_libraries(NetSnmp::snmp INTERFACE ${NETSNMP_LIB} OpenSSL::Crypto)

add_library(NetSnmp::agent INTERFACE IMPORTED)
target_link_libraries(NetSnmp::agent INTERFACE ${NETSNMPMIBS_LIB} ${NETSNMPAGENT_LIB} ${NETSNMP_LIB} OpenSSL::SSL OpenSSL::Crypto)
