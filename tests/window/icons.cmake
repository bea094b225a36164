olvane_add_test(test_icons SOURCES tst_icons.cpp LIBS window)
