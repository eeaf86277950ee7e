# tests of this area
norvale_add_test(NAME tst_sqlitetable3 SOURCES tst_sqlitetable3.cpp tst_sqlitesupport.h
  LIBS norvale_dataaccess)
norvale_add_test(NAME tst_sqlite3 SOURCES tst_sqlite3.cpp LIBS norvale_dataaccess)
norvale_add_test(NAME tst_sqlitereadonly SOURCES tst_sqlitereadonly.cpp tst_sqlitesupport.h
  support/ChildWriter.h LIBS norvale_dataaccess norvale_platform_files)
