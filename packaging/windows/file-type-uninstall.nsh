  ; The project files' type goes; .fep itself only while it still names that type, so that a
  ; program that took the files over keeps them.
  DeleteRegKey SHCTX "Software\Classes\@windows_progid@"
  DeleteRegValue SHCTX "Software\Classes\.fep\OpenWithProgids" "@windows_progid@"
  DeleteRegKey /ifempty /ifnovalues SHCTX "Software\Classes\.fep\OpenWithProgids"
  ReadRegStr $0 SHCTX "Software\Classes\.fep" ""
  StrCmp $0 "@windows_progid@" 0 +2
    DeleteRegValue SHCTX "Software\Classes\.fep" ""
  DeleteRegKey /ifempty /ifnovalues SHCTX "Software\Classes\.fep"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
