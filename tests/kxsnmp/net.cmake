# Socket, request tracking, OID-table requests and the command-line tools of KxSnmp.
if(TARGET kxsnmp)
  tqx_add_test(net_tracking_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_TrackingTest.cpp
    LIBS kxsnmp tqxtestsupport TIMEOUT 120)
  tqx_add_test(net_class_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_ClassTest.cpp
    LIBS kxsnmp tqxtestsupport TIMEOUT 120)
endif()
if(TARGET kxsnmptoolcore)
  tqx_add_test(tools_args_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tools_ArgsTest.cpp LIBS kxsnmptoolcore)
  tqx_add_fuzz(kxsnmp-tool-args SOURCE ${CMAKE_CURRENT_LIST_DIR}/fuzz_tool_args.cpp LIBS kxsnmptoolcore
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/tool_args)
endif()
if(TARGET kxsnmp-cli AND TARGET kxsnmp-logdump)
  tqx_add_test(tools_interop_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tools_InteropTest.cpp
    LIBS tqxtestsupport Qt6::Core TIMEOUT 300)
  add_dependencies(tools_interop_test kxsnmp-cli kxsnmp-logdump)
  if(TARGET tqx-sim)
    add_dependencies(tools_interop_test tqx-sim)
  endif()
endif()
