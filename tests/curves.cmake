# tests of this area
norvale_add_test(NAME tst_curvedata SOURCES tst_curvedata.cpp LIBS norvale_curves_core)
norvale_add_test(NAME tst_curvepicture SOURCES tst_curvepicture.cpp LIBS norvale_curves_core)
norvale_add_test(NAME tst_spinedit SOURCES tst_spinedit.cpp LIBS norvale_widgets)
norvale_add_test(NAME tst_lscurrent SOURCES tst_lscurrent.cpp LIBS norvale_curves)
norvale_add_test(NAME tst_printrun SOURCES tst_printrun.cpp LIBS norvale_curves_core)
norvale_add_test(NAME tst_printing
  SOURCES tst_printing.cpp support/PdfFile.h LIBS norvale_curves norvale_printing)
norvale_add_test(NAME tst_linepicker SOURCES tst_linepicker.cpp LIBS norvale_widgets norvale_curves_core)
norvale_add_test(NAME tst_colourpalette SOURCES tst_colourpalette.cpp LIBS norvale_widgets)
norvale_add_test(NAME tst_mycolordlg SOURCES tst_mycolordlg.cpp LIBS norvale_colourdialog)
norvale_add_test(NAME tst_colourchoice SOURCES tst_colourchoice.cpp LIBS norvale_curves)
