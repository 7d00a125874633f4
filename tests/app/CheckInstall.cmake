# Installs the build into a scratch prefix and checks the layout a launcher and a user
# meet, the same as the Debian package's: the programs in bin, the credits library in the
# private lib/brindle (found through the program's run path), the shipped Brindle.ini under
# share/brindle, the launcher entry without file arguments (its action with them), the file
# managers' actions, the icons, the metainfo and the manual pages; and that the installed
# brindle-cli finds the shipped configuration.
set(prefix ${BUILD}/install-check)
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "install failed: ${result}")
endif()
foreach(file bin/brindle bin/brindle-cli lib/brindle/libKelvaneU.so
             share/brindle/Brindle.ini share/applications/brindle.desktop
             share/kio/servicemenus/brindle-rename.desktop
             share/nemo/actions/brindle.nemo_action
             share/file-manager/actions/brindle-rename.desktop
             share/metainfo/org.example.brindle.metainfo.xml
             share/icons/hicolor/16x16/apps/brindle.png share/icons/hicolor/32x32/apps/brindle.png
             share/icons/hicolor/48x48/apps/brindle.png
             share/icons/hicolor/256x256/apps/brindle.png
             share/man/man1/brindle.1.gz share/man/man1/brindle-cli.1.gz
             share/doc/brindle/copyright share/doc/brindle/changelog.gz)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
# Nothing of a portable copy: an installed program keeps its files with the user.
foreach(file bin/Brindle.ini bin/libKelvaneU.so)
    if(EXISTS ${prefix}/${file})
        message(FATAL_ERROR "installed where it does not belong: ${file}")
    endif()
endforeach()

file(STRINGS ${prefix}/share/applications/brindle.desktop entry)
foreach(line "[Desktop Entry]" "Type=Application" "Name=Brindle" "Exec=brindle" "Icon=brindle"
             "Name=Rename with Brindle..." "Exec=brindle --preview %F")
    list(FIND entry "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks '${line}'")
    endif()
endforeach()
# The entry itself takes no files, and no file type: Brindle opens no folder by default.
list(FIND entry "Exec=brindle" exec)
list(FIND entry "Exec=brindle --preview %F" action)
if(action LESS exec OR "${entry}" MATCHES "MimeType=")
    message(FATAL_ERROR "the desktop entry takes files or registers file types:\n${entry}")
endif()
foreach(file share/kio/servicemenus/brindle-rename.desktop share/nemo/actions/brindle.nemo_action
             share/file-manager/actions/brindle-rename.desktop)
    file(STRINGS ${prefix}/${file} action)
    list(FIND action "Exec=brindle --preview %F" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${file} does not run 'brindle --preview %F'")
    endif()
endforeach()

execute_process(COMMAND readelf -d ${prefix}/bin/brindle OUTPUT_VARIABLE dynamic)
if(NOT dynamic MATCHES "\\(RPATH\\)[^\n]*\\[\\$ORIGIN:\\$ORIGIN/\\.\\./lib/brindle\\]")
    message(FATAL_ERROR "the program's run path does not lead to its own folder, then lib/brindle:\n${dynamic}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${prefix}/home
                        XDG_CONFIG_DIRS=${prefix}/etc --unset=XDG_CONFIG_HOME
                        --unset=XDG_STATE_HOME ${prefix}/bin/brindle-cli --help
                OUTPUT_VARIABLE help RESULT_VARIABLE result)
string(FIND "${help}" "configuration  ${prefix}/share/brindle/Brindle.ini\n" at)
if(NOT result EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "the installed brindle-cli does not name its shipped configuration:\n${help}")
endif()
file(REMOVE_RECURSE ${prefix})
