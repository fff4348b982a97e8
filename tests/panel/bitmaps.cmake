# Bitmaps, the bitmap store and the art generator's model kits.
set(_bmp_dir ${CMAKE_CURRENT_SOURCE_DIR})
tqx_add_test(dib_test SOURCES ${_bmp_dir}/dib_test.cpp LIBS tqxpanel LABELS panel)
tqx_add_test(bitmapstore_test SOURCES ${_bmp_dir}/bitmapstore_test.cpp LIBS tqxpanel LABELS panel)
if(TARGET tqx-art)
  tqx_add_test(art_test SOURCES ${_bmp_dir}/art_test.cpp LIBS tqxpanel LABELS panel
    ENV "TQX_ART=$<TARGET_FILE:tqx-art>")
  add_dependencies(art_test tqx-art)
endif()
tqx_add_fuzz(panel-dib SOURCE ${_bmp_dir}/fuzz_dib.cpp LIBS tqxpanel CORPUS ${_bmp_dir}/corpus/dib)
