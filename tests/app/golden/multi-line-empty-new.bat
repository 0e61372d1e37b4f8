echo off
if exist "C:\Program Files\Qz\QzSearchAndReplace.exe" goto CONVERT
echo *************************************************************************
echo * Rudize^&Darozad Edo is not installed any more                          *
echo * Please download it from                                               *
echo * http://www.example.org/qzsnr/index.php                                *
echo *************************************************************************
pause
goto END
:CONVERT
del tmpfilelist.snr
del tmpfileOldtext.snr
echo first>> tmpfileOldtext.snr
echo.>> tmpfileOldtext.snr
echo third>> tmpfileOldtext.snr
del tmpfileNewtext.snr
type nul>> tmpfileNewtext.snr
"C:\Program Files\Qz\QzSearchAndReplace.exe" -Ltmpfilelist.snr -OFtmpfileOldtext.snr -NFtmpfileNewtext.snr -CS1 -RE0 -G -B -C 
del tmpfilelist.snr
del tmpfileOldtext.snr
del tmpfileNewtext.snr
:END
