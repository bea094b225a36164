olvane_add_test(test_sourcelist SOURCES tst_sourcelist.cpp LIBS window)
