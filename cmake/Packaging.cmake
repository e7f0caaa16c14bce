# The Debian package of the program: the program folder under /opt/veredivo, the command
# "veredivo" that starts it from the user's own copy, a desktop entry and an icon.
#     cmake --build BUILD && cpack --config BUILD/CPackConfig.cmake -B BUILD/package
set(package_data ${PROJECT_SOURCE_DIR}/data/packaging)

file(WRITE ${CMAKE_BINARY_DIR}/package/VERSION "${PROJECT_VERSION}\n")
# The agent's tables are made empty for the package, whatever the build's folder holds.
set(agent_schemas CUSTGNRL CUSTWCUI CUSTWCCL CUSTMPR CUSTDEVS CUST_LOB CUSTPLAN CUSTMISC)
install(DIRECTORY ${VEREDIVO_PROGRAM_DIR}/ DESTINATION opt/veredivo USE_SOURCE_PERMISSIONS
    PATTERN "*.log" EXCLUDE
    PATTERN "*.ini" EXCLUDE
    PATTERN "CUST*" EXCLUDE
    PATTERN "usrClass*" EXCLUDE
    PATTERN "datainfo.ini" EXCLUDE
    REGEX "/formdata/.+" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/data/About.ini DESTINATION opt/veredivo/Data)
install(FILES ${CMAKE_BINARY_DIR}/package/VERSION DESTINATION opt/veredivo)
foreach(schema ${agent_schemas} usrClass)
    install(CODE "execute_process(COMMAND \"$<TARGET_FILE:dbftool>\" create
        \"${PROJECT_SOURCE_DIR}/data/tables/${schema}.schema\"
        --out \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/opt/veredivo/Data\"
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)")
endforeach()
install(PROGRAMS ${package_data}/veredivo.sh DESTINATION usr/bin RENAME veredivo)
install(FILES ${package_data}/veredivo.desktop DESTINATION usr/share/applications)
install(FILES ${CMAKE_BINARY_DIR}/package/veredivo.png
    DESTINATION usr/share/icons/hicolor/32x32/apps)
# The icon is the PNG inside broker 1's icon file.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/veredivo.png
    COMMAND Python3::Interpreter -c
        "import sys; open(sys.argv[2], 'wb').write(open(sys.argv[1], 'rb').read()[22:])"
        ${VEREDIVO_PROGRAM_DIR}/Images/icon_1.ico ${CMAKE_BINARY_DIR}/package/veredivo.png
    DEPENDS delivered_data
    VERBATIM)
add_custom_target(package_icon ALL DEPENDS ${CMAKE_BINARY_DIR}/package/veredivo.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veredivo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Veredivo")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Workers' compensation rating and quoting for agents")
set(CPACK_PACKAGE_DESCRIPTION "Rates Massachusetts and New Jersey workers' compensation \
quotes step by step, keeps them with their customers and prints worksheets and applications.")
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Veredivo developers <veredivo@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-writer-nogui, poppler-utils")
include(CPack)
