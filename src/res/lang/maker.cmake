# The maker of the program and its web sites: the one place for them. The language archive's
# texts take them through ${...} placeholders, code through the generated maker.h.
set(ORBELIN_PROGRAM_NAME "Orbelin")
set(ORBELIN_MAKER_NAME "Kestrova")
set(ORBELIN_MAKER_WEB_GERMAN "https://www.kestrova.de")
set(ORBELIN_MAKER_WEB_EUROPEAN "https://www.kestrova.eu")
set(ORBELIN_MAKER_WEB_INTERNATIONAL "https://www.kestrova.com")
set(ORBELIN_MAKER_HOST_STEM "www.kestrova.")
set(ORBELIN_MAKER_MAIL "translate@kestrova.com")
