# KxSnmp message model, BER codec and packet log.
set(KXCORE_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})

tqx_add_test(kxsnmp_codec_test
  SOURCES ${KXCORE_TEST_DIR}/codec_Support.cpp ${KXCORE_TEST_DIR}/codec_BerTest.cpp
          ${KXCORE_TEST_DIR}/codec_ModelTest.cpp ${KXCORE_TEST_DIR}/codec_LogTest.cpp
          ${KXCORE_TEST_DIR}/codec_ReuseTest.cpp
  LIBS kxsnmp)

# Our codec against net-snmp's own encoder and parser; net-snmp is linked here for that only.
tqx_add_test(kxsnmp_codec_interop_test
  SOURCES ${KXCORE_TEST_DIR}/codec_Support.cpp ${KXCORE_TEST_DIR}/codec_InteropTest.cpp
  LIBS kxsnmp NetSnmp::snmp)

tqx_add_fuzz(kxsnmp-packet SOURCE ${KXCORE_TEST_DIR}/fuzz_decode_packet.cpp
  LIBS kxsnmp CORPUS ${KXCORE_TEST_DIR}/corpus/kxsnmp_fuzz_decode_packet)
tqx_add_fuzz(kxsnmp-log SOURCE ${KXCORE_TEST_DIR}/fuzz_decode_log.cpp
  LIBS kxsnmp CORPUS ${KXCORE_TEST_DIR}/corpus/kxsnmp_fuzz_decode_log)
