<?php
// ====================================================================
//  WIRE THE PORTAL TO YOUR ACCOUNTS HERE.
//
//  kit_check_account() decides whether the access mid and access code a
//  player enters in the portal's sign-in form are valid. Ask your own
//  accounts (a forum's database, a clan list ...) and return true only
//  for a valid pair. The launcher keeps the accepted pair and gives it to
//  the game as the clan password "mid:code".
//
//  The kit's default below accepts any values that are not empty, and the
//  portal page says so while KIT_ACCEPTS_ANY_ACCOUNT is true. Set it to
//  false once the function asks your accounts.
// ====================================================================

declare(strict_types=1);

const KIT_ACCEPTS_ANY_ACCOUNT = true;

function kit_check_account(string $accessMid, string $accessCode): bool
{
    return $accessMid !== '' && $accessCode !== '';
}
