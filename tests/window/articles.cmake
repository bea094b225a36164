# The article list: its model and table view, and the article controller.
olvane_add_test(test_articletable SOURCES tst_articletable.cpp LIBS window)
olvane_add_test(test_articlecontroller SOURCES tst_articlecontroller.cpp LIBS window)
olvane_add_test(test_recordorder SOURCES tst_recordorder.cpp LIBS window)
