  ; The project files (.fep): their type opens them with the program and shows its icon.
  WriteRegStr SHCTX "Software\Classes\@windows_progid@" "" "@windows_file_type_name@"
  WriteRegStr SHCTX "Software\Classes\@windows_progid@\DefaultIcon" "" "$\"@windows_nsis_bindir@\@windows_program@$\",0"
  WriteRegStr SHCTX "Software\Classes\@windows_progid@\shell\open\command" "" "$\"@windows_nsis_bindir@\@windows_program@$\" $\"%1$\""
  WriteRegStr SHCTX "Software\Classes\.fep" "" "@windows_progid@"
  WriteRegStr SHCTX "Software\Classes\.fep\OpenWithProgids" "@windows_progid@" ""
  ; Explorer shows the new icon and opens the files with the program without a restart.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
