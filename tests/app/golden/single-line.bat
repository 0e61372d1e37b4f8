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
echo C:\data\a.txt>> tmpfilelist.snr
echo C:\data\not checked.txt>> tmpfilelist.snr
"C:\Program Files\Qz\QzSearchAndReplace.exe" -Ltmpfilelist.snr -Oh616263 -Nh78797A -CS1 -RE0 -G -B -C 
del tmpfilelist.snr
del tmpfileOldtext.snr
del tmpfileNewtext.snr
:END
