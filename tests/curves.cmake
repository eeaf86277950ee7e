# tests of this area
norvale_add_test(NAME tst_curvedata SOURCES tst_curvedata.cpp LIBS norvale_curves_core)
norvale_add_test(NAME tst_curvepicture SOURCES tst_curvepicture.cpp LIBS norvale_curves_core)
norvale_add_test(NAME tst_spinedit SOURCES tst_spinedit.cpp LIBS norvale_widgets)
norvale_add_test(NAME tst_lscurrent SOURCES tst_lscurrent.cpp LIBS norvale_curves)
