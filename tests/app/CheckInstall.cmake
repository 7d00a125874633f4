# Installs the build into a scratch prefix and checks that a launcher can start Brindle
# from there: the program with its credits library and Brindle.ini beside it, the desktop
# entry and the icons.
set(prefix ${BUILD}/install-check)
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "install failed: ${result}")
endif()
foreach(file bin/brindle bin/libKelvaneU.so bin/Brindle.ini share/applications/brindle.desktop
             share/icons/hicolor/16x16/apps/brindle.png share/icons/hicolor/32x32/apps/brindle.png
             share/icons/hicolor/48x48/apps/brindle.png)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
file(STRINGS ${prefix}/share/applications/brindle.desktop entry)
foreach(line "[Desktop Entry]" "Type=Application" "Name=Brindle" "Exec=brindle %F" "Icon=brindle")
    list(FIND entry "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks '${line}'")
    endif()
endforeach()
file(REMOVE_RECURSE ${prefix})
