# The panel object tree, the description readers and the panel window base.
set(_tree_dir ${CMAKE_CURRENT_SOURCE_DIR})
foreach(_test tree_model_test loader_test mibxml_test bitmapdialog_test)
  if(EXISTS ${_tree_dir}/${_test}.cpp)
    tqx_add_test(${_test} SOURCES ${_tree_dir}/${_test}.cpp LIBS tqxpanel LABELS panel)
  endif()
endforeach()
# With the SNMP session layer present, requests are also built on the engine's own message.
if(TARGET mibxml_test AND TARGET tqxsnmp)
  target_compile_definitions(mibxml_test PRIVATE TQX_HAVE_SNMP)
endif()
# The configuration descriptions read from the simulated switches, through the engine's message.
if(TARGET tqxsnmp AND TARGET tqxtestsupport AND EXISTS ${_tree_dir}/mibxml_sim_test.cpp)
  tqx_add_test(mibxml_sim_test SOURCES ${_tree_dir}/mibxml_sim_test.cpp LIBS tqxpanel tqxtestsupport LABELS panel
               TIMEOUT 120)
endif()
# The panel description (panel-description) and the configuration description (panel-mibxml).
foreach(_fuzz panel mibxml)
  set(_name panel-${_fuzz})
  if(_fuzz STREQUAL "panel")
    set(_name panel-description)
  endif()
  if(EXISTS ${_tree_dir}/fuzz_${_fuzz}.cpp)
    tqx_add_fuzz(${_name} SOURCE ${_tree_dir}/fuzz_${_fuzz}.cpp LIBS tqxpanel CORPUS ${_tree_dir}/corpus/${_fuzz})
  endif()
endforeach()
