# Pacote .deb (CPack; scripts/pacote): kov e kov-cli em /opt/kov/EXE com os recursos, a base
# modelo em /opt/kov/BD, a entrada de menu com o ícone e os comandos em /usr/bin. A pasta do
# pacote leva a marca de instalação compartilhada: cada usuário trabalha em
# ~/.local/share/kov, montada na primeira partida a partir daqui.
#
# Fora do pacote, de propósito: o substituto do transmissor (ENVIAX.EXE inventa o protocolo
# de uma entrega que não aconteceu) e as chaves de desenvolvimento (um par gerado na
# compilação seria o mesmo em toda máquina, com a chave privada pública, e a administração
# não leria os arquivos cifrados com ele). As chaves da administração são postas em
# /opt/kov/EXE (todos os usuários) ou em ~/.local/share/kov/EXE (um usuário); a pasta do
# transmissor da administração é pedida na primeira transmissão e gravada no KOV.ini do usuário.
set(KOV_PREFIXO_PACOTE /opt/kov)
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX ${KOV_PREFIXO_PACOTE} CACHE PATH "Pasta da instalação" FORCE)
endif()

install(TARGETS kov kov-cli RUNTIME DESTINATION EXE)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/recursos/EXE/ DESTINATION EXE)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/pacote/instalacao-compartilhada DESTINATION EXE)

# Base modelo: criada dos scripts de db/ pelo próprio kov-cli, copiada para cada usuário
set(KOV_BASE_MODELO ${CMAKE_BINARY_DIR}/pacote/BD/KOV.GDB)
add_custom_command(
  OUTPUT ${KOV_BASE_MODELO}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/pacote/BD
  COMMAND ${CMAKE_COMMAND} -E rm -f ${KOV_BASE_MODELO}
  COMMAND $<TARGET_FILE:kov-cli> criar-base ${KOV_BASE_MODELO}
  DEPENDS kov-cli ${KOV_SCRIPTS_BASE}
  COMMENT "Criando a base modelo do pacote"
  VERBATIM)
add_custom_target(base_modelo DEPENDS ${KOV_BASE_MODELO})
install(FILES ${KOV_BASE_MODELO} DESTINATION BD PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# Menu, ícone e comandos no caminho
configure_file(${CMAKE_SOURCE_DIR}/cmake/pacote/kov.desktop.in ${CMAKE_BINARY_DIR}/pacote/kov.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/pacote/kov.desktop DESTINATION /usr/share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/recursos/EXE/Logo.png DESTINATION /usr/share/pixmaps RENAME kov.png)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/pacote/bin)
foreach(programa kov kov-cli)
  file(CREATE_LINK ${KOV_PREFIXO_PACOTE}/EXE/${programa} ${CMAKE_BINARY_DIR}/pacote/bin/${programa} SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/pacote/bin/${programa} DESTINATION /usr/bin)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kov)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KOV")
set(CPACK_PACKAGE_CONTACT "Equipe do KOV <kov@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Declaração anual PRELO com o demonstrativo do valor adicionado (KOV) e a GI")
# A primeira linha da descrição é o resumo acima; estas são o texto longo
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "O contribuinte, ou o contador que atende vários contribuintes, prepara, confere,\nimprime, entrega e guarda a declaração estadual anual. kov é o programa com\njanelas; kov-cli, o mesmo sistema sem tela, para lotes e scripts.\nCada usuário trabalha em ~/.local/share/kov, criada na primeira partida.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${KOV_PREFIXO_PACOTE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_STRIP_FILES ON)
# Bibliotecas ligadas (Qt 6, libfbclient2, libzip, libxml2, OpenSSL) pelo dpkg-shlibdeps; o motor
# embutido do Firebird (carregado pelo libfbclient, não ligado), o gbak e o nbackup da cópia e da
# restauração e o plugin de tela do Qt, à mão.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "firebird3.0-server-core, firebird3.0-utils, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "firebird3.0-server")
# O KOV.ini da pasta do programa é o modelo dos usuários novos, que o administrador pode editar
# (a base num servidor, por exemplo): uma atualização do pacote não o troca sem perguntar.
file(WRITE ${CMAKE_BINARY_DIR}/pacote/conffiles "${KOV_PREFIXO_PACOTE}/EXE/KOV.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/pacote/conffiles)
include(CPack)
